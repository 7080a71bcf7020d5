#include "host/flummel/TemporaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/flummel/CliError.h"

TemporaryFile::TemporaryFile(const std::string& destination) : mDestination(destination)
{
    std::string pattern = destination + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) throw CliError("cannot write " + destination + ": " + std::strerror(errno));
    const mode_t mask = umask(0);  // files get the usual permissions, not mkstemp's 0600
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    mPath = name.data();
}

TemporaryFile::~TemporaryFile()
{
    if (!mCommitted) std::remove(mPath.c_str());
}

void TemporaryFile::Commit()
{
    if (std::rename(mPath.c_str(), mDestination.c_str()) != 0)
        throw CliError("cannot write " + mDestination + ": " + std::strerror(errno));
    mCommitted = true;
}
