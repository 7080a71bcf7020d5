// Where `flummel edit` sends the effect's output: a device that calls the player from a
// real-time thread of its own until stopped.
#pragma once

class LoopPlayer;

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // The rate the output plays at; the effect runs at this rate.
    virtual double SampleRate() const = 0;
    // Starts calling `player` (which must outlive the output or its Stop); throws CliError.
    virtual void Start(LoopPlayer& player) = 0;
    // Stops calling the player; nothing calls it once this returns. Safe to call twice.
    virtual void Stop() = 0;
    // True once the output has stopped by itself (its server went away).
    virtual bool Lost() const { return false; }
};
