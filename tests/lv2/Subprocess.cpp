#include "lv2/Subprocess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string TempPath(const char* tag)
{
    char pattern[] = "/tmp/flummel-lv2-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    return std::string(pattern) + tag;
}

}  // namespace

SubprocessResult RunSubprocess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment)
{
    SubprocessResult result;
    const std::string base = TempPath("");
    const std::string outPath = base + ".out", errPath = base + ".err";

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    for (const std::string& e : extraEnvironment) {  // replaces a variable of the same name
        const std::string name = e.substr(0, e.find('=') + 1);
        std::erase_if(envStrings, [&](const std::string& old) { return old.rfind(name, 0) == 0; });
        envStrings.push_back(e);
    }
    std::vector<char*> env;
    for (std::string& e : envStrings) env.push_back(e.data());
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    }
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    for (const std::string& p : {base, outPath, errPath}) std::remove(p.c_str());
    return result;
}

std::vector<std::string> ForeignHostEnvironment()
{
    const std::string preload = FLUMMEL_SANITIZER_PRELOAD;
    if (preload.empty()) return {};
    return {"LD_PRELOAD=" + preload, "ASAN_OPTIONS=detect_leaks=0"};
}
