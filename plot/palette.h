#pragma once
// The colours the windows and the plots share, the plots' from plot_colours.h.

#include <QColor>

#include "plot/plot_colours.h"

namespace tarvek_colors {
inline QColor ToQColor(PlotRgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

inline const QColor SettingsBackground(0, 64, 128);  ///< dialogs and simulation windows
inline const QColor MainBackground(0, 102, 153);     ///< main window and statistics table
/// panels and grid cells
inline const QColor PanelBackground = ToQColor(plot_colours::Panel);
inline const QColor EntryBackground(221, 255, 255);  ///< entry fields and lists
inline const QColor DisabledCaption(160, 160, 160);  ///< on the dialogs' dark background
inline const QColor DisabledEntryBackground(212, 208, 200);
inline const QColor DisabledEntryText(128, 128, 128);
inline const QColor PlotBackground = ToQColor(plot_colours::Background);
inline const QColor BarGreen = ToQColor(plot_colours::Bar);
inline const QColor MeanLineRed = ToQColor(plot_colours::Mean);
inline const QColor ErrorBackground(204, 0, 0);
/// missed intervals and full classes, when asked for
inline const QColor MarkRed = ToQColor(plot_colours::Mark);
}  // namespace tarvek_colors
