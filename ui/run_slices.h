#pragma once
// A long run on the interface's thread, drawn in slices: the run asks Continue()
// between its steps, and once a slice has taken its length, Continue()
// handles the pending events (input, paints) before the next slice starts. A run
// that ends within its first slice never handles an event, so it looks and draws
// exactly as a run without slices.

#include <QElapsedTimer>
#include <functional>

/// Milliseconds a slice of a long run may take before the window handles input.
inline constexpr int SliceMilliseconds = 50;

class RunSlices {
public:
    /// \brief Runs `work`, which calls Continue() between its steps; does nothing
    /// while a run is going (a click handled between two slices must not start a
    /// second run inside the first). Returns whether `work` ran.
    bool Run(const std::function<void()>& work);
    /// \brief False once Stop() was called; first handles the pending events when
    /// the slice is over.
    bool Continue();
    /// \brief Ends the run at its next Continue() (OK, Escape, closing the window).
    void Stop() { stopped_ = true; }
    bool running() const { return running_; }
    /// \brief True when the last run ended by Stop() rather than by itself.
    bool stopped() const { return stopped_; }
    /// \brief The length of every slice from now on; 0 handles the events at
    /// every step, which lets a test meet a run between any two of its steps.
    static void SetSliceLength(int milliseconds) { sliceLength_ = milliseconds; }

private:
    QElapsedTimer slice_;
    bool running_ = false;
    bool stopped_ = false;
    static inline int sliceLength_ = SliceMilliseconds;
};
