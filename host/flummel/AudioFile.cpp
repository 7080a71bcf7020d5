#include "host/flummel/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "host/flummel/AudioFileReader.h"
#include "host/flummel/CliError.h"

namespace {

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
    AudioFileReader reader(path);
    if (reader.Frames() > size_t(3600) * size_t(reader.SampleRate()))
        throw CliError("cannot read " + path + ": longer than an hour");
    AudioSignal s;
    s.sampleRate = reader.SampleRate();
    s.channels.assign(reader.Channels(), std::vector<float>(reader.Frames()));
    std::vector<float*> planar;
    for (auto& c : s.channels) planar.push_back(c.data());
    const size_t got = reader.Read(planar.data(), reader.Frames());
    reader.ThrowIfFailed();
    for (auto& c : s.channels) c.resize(got);
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
