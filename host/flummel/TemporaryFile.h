// A file written under a temporary name beside its destination and renamed over it on Commit;
// removed if never committed.
#pragma once

#include <string>

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& destination);  // throws CliError
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return mPath; }
    void Commit();  // throws CliError

private:
    std::string mDestination;
    std::string mPath;
    bool mCommitted = false;
};
