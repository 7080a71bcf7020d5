// Runs a program and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct SubprocessResult {
    int status = -1;  // exit status; -1 when it could not start or did not exit normally
    std::string out;
    std::string err;
};

// `extraEnvironment` entries (NAME=VALUE) are added to this process's environment, replacing
// variables of the same name.
SubprocessResult RunSubprocess(const std::vector<std::string>& argv,
                               const std::vector<std::string>& extraEnvironment = {});

// What a host program from outside the build needs to load a plug-in built with sanitizers:
// the sanitizer runtime preloaded. Empty in plain builds.
std::vector<std::string> ForeignHostEnvironment();
