#pragma once
// The progress line of a long run on a terminal: shown on standard error once a
// run has worked for about a second, renewed a few times a second, erased when
// the simulation ends. Nothing at all is written when standard error is not a
// terminal.

#include <chrono>
#include <functional>
#include <iosfwd>

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    /// \brief `onTerminal`: whether `out` is a terminal; `now` reads the clock
    /// (replaceable for tests).
    ProgressLine(std::ostream& out, bool onTerminal, std::function<Clock::time_point()> now = Clock::now);

    /// \brief Marks the start of the simulation; the line waits a second from here.
    void Start();

    /// \brief Cheap enough to call after every sample: reads the clock only
    /// every few samples.
    void Update(int run, int runs, int samples, int simulations);

    /// \brief Removes the line if one is shown.
    void Erase();

private:
    std::ostream& out_;
    bool onTerminal_;
    std::function<Clock::time_point()> now_;
    Clock::time_point nextUpdate_;
    int callsUntilClock_ = 0;
    bool shown_ = false;
};
