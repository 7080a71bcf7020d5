// Runs that end before their files are done: a signal mid-render or a write the file system
// refuses. Either way nothing is left beside the output, not even a temporary file.
#include <csignal>
#include <thread>

#include "RendererFixture.h"

TEST_F(RendererTest, ASignalMidRenderRemovesEveryTemporaryFileAndEndsTheProcessByIt)
{
    // A tail of an hour in blocks of one frame: far longer than the test waits.
    WriteWav("in.wav", Impulses(1, 100, {{10, 1.f}}), 8000);
    const auto rendering = [&] {
        const std::vector<std::string> names = Files();
        return std::any_of(names.begin(), names.end(),
                           [](const std::string& n) { return n.find(".tmp-") != std::string::npos; });
    };
    for (int sig : {SIGINT, SIGTERM}) {
        const pid_t pid = Start(Args({"render", "@in.wav", "@out.wav", "--tail", "3600", "--block", "1", "--plot",
                                      "@plot.png", "--save-preset", "@p.plist"}));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!rendering() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_TRUE(rendering()) << "the render never started";
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // well into the render loop
        kill(pid, sig);
        const Result r = Finish(pid, std::chrono::seconds(30));
        EXPECT_EQ(r.signal, sig) << strsignal(sig) << ": exit status " << r.status << ", " << r.err;
        EXPECT_EQ(r.err, "") << strsignal(sig);
        EXPECT_EQ(Files(), std::vector<std::string>{"in.wav"}) << strsignal(sig);
    }
}

// Writes past 300 bytes fail with EFBIG: a 10-frame output fits, a 1000-frame one, the plot and
// the preset do not. The message names the file asked for and the reason, on one line.
TEST_F(RendererTest, AFailedWriteNamesTheFileAskedForAndLeavesNothing)
{
    WriteWav("short.wav", Impulses(1, 10, {{1, 1.f}}));
    WriteWav("long.wav", Impulses(1, 1000, {{1, 1.f}}));
    const std::vector<std::string> before = Files();
    const struct {
        std::vector<std::string> args;
        std::string says;  // after "cannot write "
    } cases[] = {
        {{"@long.wav", "@out.wav"}, Path("out.wav")},
        {{"@short.wav", "@out.wav", "--plot", "@plot.png"}, Path("plot.png")},
        {{"@short.wav", "@out.wav", "--save-preset", "@p.plist"}, "preset " + Path("p.plist")},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"render"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--tail", "0", "--quiet"});
        const Result r = Run(args, 300);
        EXPECT_EQ(r.status, 2) << c.says << ": " << r.err;
        EXPECT_TRUE(r.err.starts_with("flummel: cannot write " + c.says + ": ") &&
                    r.err.find("too large") != std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(Files(), before) << c.says;
    }
}
