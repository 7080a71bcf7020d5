// Whole audio signals read through libsndfile, and the format an output file's extension names.
#pragma once

#include <string>
#include <vector>

struct AudioSignal {
    double sampleRate = 48000.0;
    std::vector<std::vector<float>> channels;  // planar, all the same length
    size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// Reads all of any file libsndfile reads, up to an hour long; throws CliError naming the file and
// the problem.
AudioSignal ReadAudioFile(const std::string& path);

// The libsndfile format (major | subtype) for a path's extension: .wav is 32-bit float; other
// formats take float if they can hold it, else the deepest integer or their codec. Throws
// CliError for an extension no format claims.
int OutputFormatFor(const std::string& path);
