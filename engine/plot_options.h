#pragma once
// Optional marks on a simulation graph, off unless the user asks for them; the
// windows, the saved pictures and tarvek-batch pass them to the plot renderer.

/// \brief What the renderer adds to the plain graph.
struct PlotOptions {
    /// Intervals that do not cover the population mean drawn in red.
    bool colourMissedIntervals = false;
    /// A red mark above every bar that has reached the top of the plot.
    bool markFullClasses = false;
};
