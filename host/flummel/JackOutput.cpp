#include "host/flummel/JackOutput.h"

#include <jack/jack.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/AUHost.h"
#include "host/flummel/CliError.h"
#include "host/flummel/LoopPlayer.h"

namespace {

// libjack reports on standard error when no server answers; that case is ours to tell.
void Quiet(const char*) {}

}  // namespace

std::unique_ptr<JackOutput> JackOutput::Open(const char* name, unsigned channels)
{
    jack_set_error_function(Quiet);
    jack_set_info_function(Quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
    if (!client) {
        if (status & JackServerFailed) return nullptr;
        throw CliError("the JACK server refused the client (status " + std::to_string(unsigned(status)) + ")");
    }
    std::unique_ptr<JackOutput> out(new JackOutput(client));
    for (unsigned c = 0; c < channels; ++c) {
        const std::string port = "out_" + std::to_string(c + 1);
        jack_port_t* p = jack_port_register(client, port.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (!p) throw CliError("cannot register the JACK port " + port);
        out->mPorts.push_back(p);
    }
    jack_set_process_callback(client, Process, out.get());
    jack_on_shutdown(client, Shutdown, out.get());
    return out;
}

JackOutput::JackOutput(jack_client_t* client) : mClient(client) {}

JackOutput::~JackOutput()
{
    Stop();
    jack_client_close(mClient);
}

double JackOutput::SampleRate() const { return double(jack_get_sample_rate(mClient)); }

unsigned JackOutput::BufferFrames() const { return unsigned(jack_get_buffer_size(mClient)); }

void JackOutput::Start(LoopPlayer& player)
{
    mPlayer.store(&player, std::memory_order_relaxed);
    if (jack_activate(mClient) != 0) throw CliError("cannot activate the JACK client");
    mActive = true;
    ConnectToPlayback();
}

void JackOutput::Stop()
{
    if (mActive && !Lost()) jack_deactivate(mClient);
    mActive = false;
    mPlayer.store(nullptr, std::memory_order_relaxed);
}

void JackOutput::ConnectToPlayback()
{
    const char** playback = jack_get_ports(mClient, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
    if (!playback) return;
    size_t count = 0;
    while (playback[count]) ++count;
    // Channel i goes to playback port i; a mono signal goes to the first two.
    const size_t links = mPorts.size() == 1 ? std::min<size_t>(count, 2) : std::min(count, mPorts.size());
    for (size_t i = 0; i < links; ++i) {
        jack_port_t* from = mPorts[mPorts.size() == 1 ? 0 : i];
        if (jack_connect(mClient, jack_port_name(from), playback[i]) != 0)
            std::fprintf(stderr, "flummel: cannot connect %s to %s\n", jack_port_name(from), playback[i]);
    }
    jack_free(playback);
}

int JackOutput::Process(unsigned frames, void* p)
{
    auto* self = static_cast<JackOutput*>(p);
    float* out[AUHost::kMaxChannels];
    const size_t channels = self->mPorts.size();
    for (size_t c = 0; c < channels; ++c)
        out[c] = static_cast<float*>(jack_port_get_buffer(self->mPorts[c], frames));
    if (LoopPlayer* player = self->mPlayer.load(std::memory_order_relaxed))
        player->Render(out, frames);
    else
        for (size_t c = 0; c < channels; ++c) std::memset(out[c], 0, frames * sizeof(float));
    return 0;
}

void JackOutput::Shutdown(void* p) { static_cast<JackOutput*>(p)->mLost.store(true, std::memory_order_relaxed); }
