#pragma once
// The colours the windows and the plots share.

#include <QColor>

namespace tarvek_colors {
inline const QColor SettingsBackground(0, 64, 128);  ///< dialogs and simulation windows
inline const QColor MainBackground(0, 102, 153);     ///< main window and statistics table
inline const QColor PanelBackground(255, 255, 221);  ///< panels and grid cells
inline const QColor EntryBackground(221, 255, 255);  ///< entry fields and lists
inline const QColor DisabledCaption(160, 160, 160);  ///< on the dialogs' dark background
inline const QColor DisabledEntryBackground(212, 208, 200);
inline const QColor DisabledEntryText(128, 128, 128);
inline const QColor PlotBackground(255, 255, 204);
inline const QColor BarGreen(0, 128, 0);
inline const QColor MeanLineRed(255, 0, 0);
inline const QColor ErrorBackground(204, 0, 0);
inline const QColor MarkRed(204, 0, 0);  ///< missed intervals and full classes, when asked for
}  // namespace tarvek_colors
