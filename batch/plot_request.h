#pragma once
// What tarvek-batch hands to its picture module, the shared library that holds
// everything of the simulator that needs Qt. The module is loaded only when a
// picture is asked for, so that tarvek-batch itself links no Qt library. Both
// sides are built from this header in one build. The program carries its own
// copy of the C++ library and the module uses the system's, so only plain data
// crosses between them: no standard-library object, no exception.

#include <string>

#include "engine/plot_frame.h"
#include "engine/plot_options.h"

/// \brief The picture of the last run: the file to write (its extension
/// chooses the format), the graph as numbers and the options of the picture.
struct PlotRequest {
    const char* fileName = nullptr;
    RunGraph graph;
    PlotOptions options;
};

/// \brief Why writing a picture failed; an empty text when it succeeded.
struct PlotFailure {
    char text[512] = {};
};

/// \brief The module's entry point: writes the picture, fills `failure` when it fails.
using WritePlotEntry = void (*)(const PlotRequest& request, PlotFailure& failure);
inline constexpr const char* WritePlotEntryName = "TarvekWritePlot";

/// \brief Loads the picture module and writes the picture through it;
/// "" or why it failed, a module that cannot be loaded included.
std::string WritePlotWithModule(const PlotRequest& request);
