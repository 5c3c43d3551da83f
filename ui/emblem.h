#pragma once
// The program's emblem: a histogram of green bars around a red mean line on a
// pale plot, framed in navy. Drawn in 16 colours on a 32 x 32 design grid and
// scaled to any size without smoothing, so every rendering keeps those colours.

#include <QIcon>
#include <QImage>

inline constexpr int EmblemDesignSize = 32;

/// \brief The emblem as a size x size opaque image (size >= 1).
QImage RenderEmblem(int size);

/// \brief The window icon: the emblem at its design size and enlarged.
QIcon EmblemIcon();
