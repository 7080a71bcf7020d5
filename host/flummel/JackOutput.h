// Playback through a running JACK server: one output port per channel, connected to the
// system's playback ports when there are some. Never starts a server.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "host/flummel/AudioOutput.h"

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

class JackOutput : public AudioOutput {
public:
    // A client named `name` with `channels` ports, or null when no server runs. Throws CliError
    // when a server runs but refuses the client or its ports.
    static std::unique_ptr<JackOutput> Open(const char* name, unsigned channels);
    ~JackOutput() override;

    double SampleRate() const override;
    unsigned BufferFrames() const;
    void Start(LoopPlayer& player) override;
    void Stop() override;
    bool Lost() const override { return mLost.load(std::memory_order_relaxed); }

private:
    explicit JackOutput(jack_client_t* client);
    static int Process(unsigned frames, void* self);
    static void Shutdown(void* self);
    void ConnectToPlayback();

    jack_client_t* mClient;
    std::vector<jack_port_t*> mPorts;
    std::atomic<LoopPlayer*> mPlayer{nullptr};
    std::atomic<bool> mLost{false};
    bool mActive = false;
};
