// Audio files through libsndfile: planar float signals in, and out in the format the output
// file's extension names.
#pragma once

#include <string>
#include <vector>

struct AudioSignal {
    double sampleRate = 48000.0;
    std::vector<std::vector<float>> channels;  // planar, all the same length
    size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// Reads any file libsndfile reads; throws CliError naming the file and the problem.
AudioSignal ReadAudioFile(const std::string& path);

// The libsndfile format (major | subtype) for a path's extension: .wav is 32-bit float; other
// formats take float if they can hold it, else the deepest integer or their codec. Throws
// CliError for an extension no format claims.
int OutputFormatFor(const std::string& path);

// Writes the whole signal in `format` to `path`; throws CliError naming `shownPath`, the file the
// user knows `path` by (the same, or the destination of a temporary file).
void WriteAudioFile(const std::string& path, int format, const AudioSignal& signal, const std::string& shownPath);
