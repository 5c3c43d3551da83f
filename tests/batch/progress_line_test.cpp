// The progress line of tarvek-batch on a clock that the test moves.

#include "batch/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct ProgressCase {
    const char* name;
    bool onTerminal;
    std::chrono::milliseconds runLength;
    int showings;  ///< shown after a second, renewed 200 ms apart at most every 64 samples
};

/// Runs 10000 samples spread evenly over `runLength`, then erases the line.
std::string Progress(const ProgressCase& c)
{
    std::ostringstream out;
    ProgressLine::Clock::time_point now{};
    ProgressLine progress(out, c.onTerminal, [&now] { return now; });
    progress.Start();
    constexpr int samples = 10000;
    for (int sample = 1; sample <= samples; ++sample) {
        now += std::chrono::microseconds(c.runLength) / samples;
        progress.Update(1, 1, sample, samples);
    }
    progress.Erase();
    return out.str();
}

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ProgressLineTest, ShownOnlyOnATerminalForALongRunAndErased)
{
    const std::string clear = "\r\033[K";
    const std::vector<ProgressCase> cases = {
        {"pipe, long run", false, 5000ms, 0},
        {"terminal, short run", true, 900ms, 0},
        {"terminal, run of 1.3 s", true, 1300ms, 2},
        {"terminal, run of 3.1 s", true, 3100ms, 10},
    };
    for (const ProgressCase& c : cases) {
        const std::string out = Progress(c);
        EXPECT_EQ(Count(out, clear + "tarvek-batch: "), c.showings) << c.name << ": " << out;
        if (c.showings == 0) {
            EXPECT_EQ(out, "") << c.name;
            continue;
        }
        EXPECT_EQ(Count(out, clear), c.showings + 1) << c.name << ": erased at the end";
        EXPECT_EQ(out.substr(out.size() - clear.size()), clear) << c.name;
        EXPECT_NE(out.find(" of 10000 samples"), std::string::npos) << out;
    }
}

}  // namespace
