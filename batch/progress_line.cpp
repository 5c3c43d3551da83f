#include "batch/progress_line.h"

#include <ostream>
#include <string>
#include <utility>

namespace {

constexpr auto FirstShowing = std::chrono::seconds(1);
constexpr auto Renewal = std::chrono::milliseconds(200);
/// A sample costs from a tenth of a microsecond to milliseconds: reading the
/// clock every 64 samples is negligible and still renews the line in time.
constexpr int SamplesPerClockReading = 64;
/// Back to the start of the line and clear it.
constexpr const char* ClearLine = "\r\033[K";

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, bool onTerminal, std::function<Clock::time_point()> now)
    : out_(out), onTerminal_(onTerminal), now_(std::move(now))
{}

void ProgressLine::Start()
{
    if (onTerminal_) {
        nextUpdate_ = now_() + FirstShowing;
    }
}

void ProgressLine::Update(int run, int runs, int samples, int simulations)
{
    if (!onTerminal_ || --callsUntilClock_ > 0) {
        return;
    }
    callsUntilClock_ = SamplesPerClockReading;
    const Clock::time_point now = now_();
    if (now < nextUpdate_) {
        return;
    }
    nextUpdate_ = now + Renewal;
    out_ << ClearLine << "tarvek-batch: ";
    if (runs > 1) {
        out_ << "run " << run << " of " << runs << ", ";
    }
    out_ << samples << " of " << simulations << " samples" << std::flush;
    shown_ = true;
}

void ProgressLine::Erase()
{
    if (shown_) {
        out_ << ClearLine << std::flush;
        shown_ = false;
    }
}
