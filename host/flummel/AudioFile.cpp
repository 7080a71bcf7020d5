#include "host/flummel/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "host/flummel/CliError.h"

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr size_t kChunkFrames = 4096;

std::string Extension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string e = path.substr(dot + 1);
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return e;
}

int MajorFormatFor(const std::string& ext)
{
    if (ext == "wav") return SF_FORMAT_WAV;
    if (ext == "aif") return SF_FORMAT_AIFF;
    if (ext == "oga" || ext == "opus") return SF_FORMAT_OGG;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        if (info.extension && ext == info.extension) return info.format;
    }
    return 0;
}

}  // namespace

AudioSignal ReadAudioFile(const std::string& path)
{
    SF_INFO info{};
    Sndfile f(sf_open(path.c_str(), SFM_READ, &info));
    if (!f) throw CliError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.samplerate < 1) throw CliError("cannot read " + path + ": no audio in it");
    if (info.frames > sf_count_t(3600) * info.samplerate)
        throw CliError("cannot read " + path + ": longer than an hour");

    AudioSignal s;
    s.sampleRate = info.samplerate;
    const size_t channels = size_t(info.channels);
    s.channels.assign(channels, {});
    for (auto& c : s.channels) c.reserve(size_t(std::max<sf_count_t>(info.frames, 0)));
    std::vector<float> chunk(kChunkFrames * channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(f.get(), chunk.data(), sf_count_t(kChunkFrames));
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i)
            for (size_t c = 0; c < channels; ++c) s.channels[c].push_back(chunk[size_t(i) * channels + c]);
    }
    if (sf_error(f.get()) != SF_ERR_NO_ERROR)
        throw CliError("cannot read " + path + ": " + sf_strerror(f.get()));
    return s;
}

int OutputFormatFor(const std::string& path)
{
    const std::string ext = Extension(path);
    const int major = ext.empty() ? 0 : MajorFormatFor(ext);
    if (!major)
        throw CliError("cannot write " + path + ": unknown file extension" + (ext.empty() ? "" : " '." + ext + "'"));
    const int subtypes[] = {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_VORBIS, SF_FORMAT_OPUS};
    for (int sub : subtypes) {
        if (ext == "opus" && sub != SF_FORMAT_OPUS) continue;
        SF_INFO probe{};
        probe.samplerate = 48000;
        probe.channels = 2;
        probe.format = major | sub;
        if (sf_format_check(&probe)) return probe.format;
    }
    throw CliError("cannot write " + path + ": no sample format for '." + ext + "'");
}

void WriteAudioFile(const std::string& path, int format, const AudioSignal& signal, const std::string& shownPath)
{
    SF_INFO info{};
    info.samplerate = int(signal.sampleRate + 0.5);
    info.channels = int(signal.channels.size());
    info.format = format;
    Sndfile f(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!f) throw CliError("cannot write " + shownPath + ": " + sf_strerror(nullptr));
    if ((format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT) sf_command(f.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const size_t channels = signal.channels.size(), frames = signal.Frames();
    std::vector<float> chunk(kChunkFrames * channels);
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kChunkFrames, frames - done);
        for (size_t i = 0; i < n; ++i)
            for (size_t c = 0; c < channels; ++c) chunk[i * channels + c] = signal.channels[c][done + i];
        if (sf_writef_float(f.get(), chunk.data(), sf_count_t(n)) != sf_count_t(n))
            throw CliError("cannot write " + shownPath + ": " + sf_strerror(f.get()));
        done += n;
    }
    if (sf_close(f.release()) != 0) throw CliError("cannot write " + shownPath + ": the file could not be finished");
}
