// `flummel edit` as a JACK client of a server that the test starts with the dummy driver: its
// ports, their connections, the sound that comes out of them, and the end on SIGTERM.
#include <jack/jack.h>

#include <cmath>

#include "engine/FlummelParameters.h"
#include "tests/edit/EditFixture.h"

namespace {

// A JACK server of the test's own, under a name no other test uses; stopped by its process id.
class JackServer {
public:
    JackServer(const std::string& name, int rate) : mName(name)
    {
        const std::string r = std::to_string(rate);
        std::vector<std::string> args = {"jackd", "-n", name, "-d", "dummy", "-r", r, "-p", "256"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        mPid = fork();
        if (mPid == 0) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0), dup2(null, 1), dup2(null, 2);
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    ~JackServer()
    {
        if (mPid <= 0) return;
        kill(mPid, SIGTERM);
        int status = 0;
        waitpid(mPid, &status, 0);
    }
    const std::string& Name() const { return mName; }

private:
    std::string mName;
    pid_t mPid = -1;
};

// The test's own client: one input port that keeps the loudest sample it has heard.
class Probe {
public:
    explicit Probe(const std::string& server)
    {
        jack_status_t status{};
        mClient = jack_client_open("probe", jack_options_t(JackNoStartServer | JackServerName), &status, server.c_str());
        if (!mClient) return;
        mIn = jack_port_register(mClient, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(mClient, Process, this);
        jack_activate(mClient);
    }
    ~Probe()
    {
        if (mClient) jack_client_close(mClient);
    }
    bool Open() const { return mClient && mIn; }
    bool HasPort(const char* name) const { return jack_port_by_name(mClient, name) != nullptr; }
    bool Connected(const char* a, const char* b) const
    {
        jack_port_t* p = jack_port_by_name(mClient, a);
        return p && jack_port_connected_to(p, b);
    }
    bool Listen(const char* port) { return jack_connect(mClient, port, jack_port_name(mIn)) == 0; }
    float Peak() const { return mPeak.load(std::memory_order_relaxed); }

private:
    static int Process(jack_nframes_t frames, void* p)
    {
        auto* self = static_cast<Probe*>(p);
        const auto* in = static_cast<const float*>(jack_port_get_buffer(self->mIn, frames));
        float peak = self->mPeak.load(std::memory_order_relaxed);
        for (jack_nframes_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(in[i]));
        self->mPeak.store(peak, std::memory_order_relaxed);
        return 0;
    }

    jack_client_t* mClient = nullptr;
    jack_port_t* mIn = nullptr;
    std::atomic<float> mPeak{0};
};

}  // namespace

class EditJack : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        if (IsSkipped()) return;
        if (std::system("command -v jackd > /dev/null 2>&1") != 0) GTEST_SKIP() << "no jackd";
        jack_set_error_function([](const char*) {});  // the probe's tries before the server is up
        jack_set_info_function([](const char*) {});
    }
};

// The demo is at 48 kHz: a server at another rate plays it unconverted and says so.
TEST_F(EditJack, PlaysThroughTheServerUntilSigterm)
{
    for (int rate : {48000, 44100}) {
        SCOPED_TRACE(rate);
        JackServer server(UniqueName("jack"), rate);
        std::unique_ptr<Probe> probe;
        ASSERT_TRUE(WaitFor([&] { return (probe = std::make_unique<Probe>(server.Name()))->Open(); }, 20));
        ScopedEnvironment useServer("JACK_DEFAULT_SERVER", server.Name().c_str());

        const pid_t pid = Start({"edit", "--set", "Feedback=42", "--save-preset", Path("p.plist")});
        ASSERT_TRUE(WaitFor([&] { return probe->HasPort("flummel:out_1") && probe->HasPort("flummel:out_2"); }));
        EXPECT_TRUE(WaitFor([&] { return probe->Connected("flummel:out_2", "system:playback_2"); }));
        EXPECT_TRUE(probe->Connected("flummel:out_1", "system:playback_1"));
        ASSERT_TRUE(probe->Listen("flummel:out_1"));
        EXPECT_TRUE(WaitFor([&] { return probe->Peak() > 0.05f; })) << "peak " << probe->Peak();

        kill(pid, SIGTERM);
        const Result r = Finish(pid, std::chrono::seconds(60));
        EXPECT_EQ(r.signal, SIGTERM);
        EXPECT_EQ(r.err, rate == 48000 ? std::string()
                                       : "flummel: the demo is at 48000 Hz and JACK runs at 44100 Hz: playing at "
                                         "44100 Hz without resampling\n");
        EXPECT_EQ(PresetParameter("p.plist", kParam_Feedback), 42.f);
        std::filesystem::remove(Path("p.plist"));
    }
}
