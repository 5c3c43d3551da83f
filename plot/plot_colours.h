#pragma once
// The colours of the simulation graph and the comparison picture as plain
// numbers, without Qt: the plot renderer paints with them and the browser
// page's engine driver hands them to the page, which paints the same pictures.

#include <array>
#include <utility>

/// \brief A colour's red, green and blue, 0..255 each.
struct PlotRgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

namespace plot_colours {
inline constexpr PlotRgb Background{255, 255, 204};  ///< the plot area
inline constexpr PlotRgb Panel{255, 255, 221};       ///< inside the comparison's boxes
inline constexpr PlotRgb Bar{0, 128, 0};             ///< bars, intervals and boxes
inline constexpr PlotRgb Mean{255, 0, 0};            ///< the population-mean line
inline constexpr PlotRgb Mark{204, 0, 0};            ///< missed intervals and full classes
inline constexpr PlotRgb Shadow{128, 128, 128};      ///< the frame's sunken top and left
inline constexpr PlotRgb Highlight{255, 255, 255};   ///< the frame's bottom and right
inline constexpr PlotRgb Text{0, 0, 0};              ///< the axes, their labels, the medians

/// Every colour by the name the page knows it by.
inline constexpr std::array<std::pair<const char*, PlotRgb>, 8> Named = {{
    {"background", Background},
    {"panel", Panel},
    {"bar", Bar},
    {"mean", Mean},
    {"mark", Mark},
    {"shadow", Shadow},
    {"highlight", Highlight},
    {"text", Text},
}};
}  // namespace plot_colours
