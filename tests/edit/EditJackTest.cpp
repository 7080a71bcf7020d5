// `flummel edit` as a JACK client of a server that the test starts with the dummy driver: its
// ports, their connections, the sound that comes out of them, and the end on SIGTERM.
#include <jack/jack.h>
#include <spawn.h>

#include "tests/edit/EditFixture.h"

namespace {

// A JACK server of the test's own, stopped by its process id.
struct JackServer {
    JackServer(const std::string& name, int rate) : name(name)
    {
        const std::string r = std::to_string(rate);
        const char* argv[] = {"jackd", "-n", name.c_str(), "-d", "dummy", "-r", r.c_str(), "-p", "256", nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        for (int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&quiet, fd, "/dev/null", O_RDWR, 0);
        if (posix_spawnp(&pid, "jackd", &quiet, nullptr, const_cast<char**>(argv), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&quiet);
    }
    ~JackServer()
    {
        if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
    }
    std::string name;
    pid_t pid = -1;
};

// The test's own client: one input port that keeps the loudest sample it has heard.
struct Probe {
    explicit Probe(const std::string& server)
    {
        client = jack_client_open("probe", jack_options_t(JackNoStartServer | JackServerName), nullptr, server.c_str());
        if (!client) return;
        in = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client, [](jack_nframes_t frames, void* p) {
            auto* self = static_cast<Probe*>(p);
            const auto* s = static_cast<const float*>(jack_port_get_buffer(self->in, frames));
            float m = self->peak.load(std::memory_order_relaxed);
            for (jack_nframes_t i = 0; i < frames; ++i) m = std::max(m, std::fabs(s[i]));
            self->peak.store(m, std::memory_order_relaxed);
            return 0;
        }, this);
        jack_activate(client);
    }
    ~Probe()
    {
        if (client) jack_client_close(client);
    }
    bool Connected(const char* a, const char* b) const
    {
        jack_port_t* p = jack_port_by_name(client, a);
        return p && jack_port_connected_to(p, b);
    }

    jack_client_t* client = nullptr;
    jack_port_t* in = nullptr;
    std::atomic<float> peak{0};
};

}  // namespace

// The demo is at 48 kHz: a server at another rate plays it unconverted and says so.
TEST_F(EditTest, PlaysThroughAJackServerUntilSigterm)
{
    if (std::system("command -v jackd > /dev/null 2>&1") != 0) GTEST_SKIP() << "no jackd";
    jack_set_error_function([](const char*) {});  // the probe's tries before the server is up
    jack_set_info_function([](const char*) {});
    for (int rate : {48000, 44100}) {
        SCOPED_TRACE(rate);
        JackServer server(UniqueName("jack"), rate);
        std::unique_ptr<Probe> probe;
        ASSERT_TRUE(WaitFor([&] { return (probe = std::make_unique<Probe>(server.name))->in; }));
        ScopedEnvironment useServer("JACK_DEFAULT_SERVER", server.name.c_str());

        const pid_t pid = Start({"edit", "--set", "Feedback=42", "--save-preset", Path("p.plist")});
        EXPECT_TRUE(WaitFor([&] { return probe->Connected("flummel:out_2", "system:playback_2"); }));
        EXPECT_TRUE(probe->Connected("flummel:out_1", "system:playback_1"));
        ASSERT_EQ(jack_connect(probe->client, "flummel:out_1", jack_port_name(probe->in)), 0);
        EXPECT_TRUE(WaitFor([&] { return probe->peak > 0.05f; })) << "peak " << probe->peak;

        kill(pid, SIGTERM);
        const Result r = Finish(pid, std::chrono::seconds(60));
        EXPECT_EQ(r.signal, SIGTERM);
        EXPECT_EQ(r.err, rate == 48000 ? std::string()
                                       : "flummel: the demo is at 48000 Hz and JACK runs at 44100 Hz: playing at "
                                         "44100 Hz without resampling\n");
        EXPECT_EQ(PresetParameter("p.plist", kParam_Feedback), 42.f);
    }
}
