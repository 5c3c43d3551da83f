// The picture module of tarvek-batch: a shared library loaded only when --plot
// asks for a picture. It paints through the plot renderer, as the windows do, so
// the picture is the one the window shows. Only its entry point is exported; the
// graph it paints, counts included, comes whole with the request.

#include <QGuiApplication>
#include <QtGlobal>
#include <cstdio>
#include <iostream>
#include <string>
#include <type_traits>

#include "batch/plot_request.h"
#include "plot/plot_renderer.h"

namespace {

/// Standard error carries only the simulator's own reports, so Qt's notes about
/// its environment (such as a missing runtime folder) are dropped; a fatal
/// error still says why the program ends.
void ReportOnlyFatalQtMessages(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    if (type == QtFatalMsg) {
        std::cerr << "tarvek-batch: " << message.toStdString() << '\n';
    }
}

}  // namespace

/// Text on a picture needs a GUI application; the offscreen platform needs no display.
extern "C" __attribute__((visibility("default"))) void TarvekWritePlot(const PlotRequest& request,
                                                                       PlotFailure& failure)
{
    qInstallMessageHandler(ReportOnlyFatalQtMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char programName[] = "tarvek-batch";
    char* argv[] = {programName, nullptr};
    const QGuiApplication application(argc, argv);
    const std::string text = SavePlotPicture(request.graph, request.fileName, request.options);
    std::snprintf(failure.text, sizeof failure.text, "%s", text.c_str());
}
static_assert(std::is_same_v<decltype(&TarvekWritePlot), WritePlotEntry>);
