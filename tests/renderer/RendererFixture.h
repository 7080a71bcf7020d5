// Runs the `flummel` binary in a scratch directory and reads what it wrote.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using Planar = std::vector<std::vector<float>>;

class RendererTest : public ::testing::Test {
protected:
    struct Result {
        int status = -1;
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

    static std::string Quote(const std::string& s)
    {
        std::string q = "'";
        for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    }
    static std::string Slurp(const std::string& path)
    {
        std::ifstream f(path);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    Result Run(const std::vector<std::string>& args) const
    {
        std::string cmd = Quote(FLUMMEL_CLI);
        for (const auto& a : args) cmd += " " + Quote(a);
        const std::string out = Path(".stdout"), err = Path(".stderr");
        cmd += " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
        const int raw = std::system(cmd.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(out);
        r.err = Slurp(err);
        std::filesystem::remove(out);
        std::filesystem::remove(err);
        return r;
    }

    void WriteWav(const std::string& name, const Planar& planar, int rate = 48000) const
    {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = int(planar.size());
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* f = sf_open(Path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
        std::vector<float> frames;
        for (size_t i = 0; i < planar[0].size(); ++i)
            for (const auto& c : planar) frames.push_back(c[i]);
        sf_writef_float(f, frames.data(), sf_count_t(planar[0].size()));
        sf_close(f);
    }

    // Reads a file back as planar float; empty when it cannot be read.
    Planar ReadAudio(const std::string& name, int* rate = nullptr, int* format = nullptr) const
    {
        SF_INFO info{};
        SNDFILE* f = sf_open(Path(name).c_str(), SFM_READ, &info);
        if (!f) return {};
        std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
        sf_readf_float(f, frames.data(), info.frames);
        sf_close(f);
        Planar p(size_t(info.channels), std::vector<float>(size_t(info.frames)));
        for (size_t i = 0; i < size_t(info.frames); ++i)
            for (size_t c = 0; c < p.size(); ++c) p[c][i] = frames[i * p.size() + c];
        if (rate) *rate = info.samplerate;
        if (format) *format = info.format;
        return p;
    }

    // Names in the scratch directory other than the test's own inputs.
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

    std::filesystem::path dir;
};
