// Runs the `flummel` binary in a scratch directory and reads what it wrote.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

using Planar = std::vector<std::vector<float>>;

class RendererTest : public ::testing::Test {
protected:
    struct Result {
        int status = -1;  // the exit status, or -1 when a signal ended the process
        int signal = 0;
        std::string err, out;
    };

    void SetUp() override
    {
        char pattern[] = "/tmp/flummel-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // "@name" stands for the file `name` in the scratch directory.
    std::vector<std::string> Args(std::vector<std::string> args) const
    {
        for (std::string& a : args)
            if (a.starts_with('@')) a = Path(a.substr(1));
        return args;
    }
    static std::string Slurp(const std::string& path)
    {
        std::stringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    }

    // Starts the binary with its output going to files in the scratch directory. SIGINT and SIGTERM
    // reach it whatever the test runner ignores or blocks; writes past `fileSizeLimit` bytes fail
    // with EFBIG.
    pid_t Start(const std::vector<std::string>& args, rlim_t fileSizeLimit = RLIM_INFINITY) const
    {
        std::vector<std::string> all = {FLUMMEL_CLI};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = Path(".stdout"), err = Path(".stderr");
        const pid_t pid = fork();
        if (pid != 0) return pid;
        // The child: async-signal-safe calls only until exec.
        const int in = open("/dev/null", O_RDONLY), o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                  e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || o < 0 || e < 0 || dup2(in, 0) < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0) _exit(127);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        sigset_t stopping;
        sigemptyset(&stopping);
        sigaddset(&stopping, SIGINT);
        sigaddset(&stopping, SIGTERM);
        sigprocmask(SIG_UNBLOCK, &stopping, nullptr);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        if (fileSizeLimit != RLIM_INFINITY && (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0))
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }

    // Waits for a started process; one still running after `patience` is killed and fails the test.
    Result Finish(pid_t pid, std::chrono::seconds patience = std::chrono::seconds(120)) const
    {
        Result r;
        EXPECT_GT(pid, 0) << "fork failed";
        if (pid <= 0) return r;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        int raw = 0;
        while (waitpid(pid, &raw, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the renderer did not end; killed";
                kill(pid, SIGKILL);
                waitpid(pid, &raw, 0);
                break;
            }
            usleep(2000);
        }
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
        r.out = Slurp(Path(".stdout"));
        r.err = Slurp(Path(".stderr"));
        std::filesystem::remove(Path(".stdout"));
        std::filesystem::remove(Path(".stderr"));
        return r;
    }
    Result Run(const std::vector<std::string>& args, rlim_t fileSizeLimit = RLIM_INFINITY) const
    {
        return Finish(Start(Args(args), fileSizeLimit));
    }

    void WriteWav(const std::string& name, const Planar& planar, int rate = 48000) const
    {
        SF_INFO info{0, rate, int(planar.size()), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
        SNDFILE* f = sf_open(Path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
        std::vector<float> frames;
        for (size_t i = 0; i < planar[0].size(); ++i)
            for (const auto& c : planar) frames.push_back(c[i]);
        sf_writef_float(f, frames.data(), sf_count_t(planar[0].size()));
        sf_close(f);
    }
    // A file as planar float; empty when it cannot be read.
    Planar ReadAudio(const std::string& name, int* rate = nullptr, int* format = nullptr) const
    {
        SF_INFO info{};
        SNDFILE* f = sf_open(Path(name).c_str(), SFM_READ, &info);
        if (!f) return {};
        std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
        sf_readf_float(f, frames.data(), info.frames);
        sf_close(f);
        Planar p(size_t(info.channels), std::vector<float>(size_t(info.frames)));
        for (size_t i = 0; i < frames.size(); ++i) p[i % p.size()][i / p.size()] = frames[i];
        if (rate) *rate = info.samplerate;
        if (format) *format = info.format;
        return p;
    }

    // The names in the scratch directory, sorted.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static Planar Impulses(size_t channels, size_t frames, std::vector<std::pair<size_t, float>> at)
    {
        Planar p(channels, std::vector<float>(frames, 0.f));
        for (auto [i, v] : at)
            for (auto& c : p) c[i] = v;
        return p;
    }
    static Planar Noise(size_t channels, size_t frames, uint32_t seed = 1)
    {
        Planar p(channels, std::vector<float>(frames));
        for (auto& c : p)
            for (float& v : c) v = float(int32_t(seed = seed * 1664525u + 1013904223u)) / 4294967296.f;
        return p;
    }

    std::filesystem::path dir;
};
