#pragma once
// The pixel rules of the pictures that no run's frame decides, without Qt: the
// plot renderer draws by them and the browser page's engine driver hands them
// to the page, which draws the same pictures.

namespace plot_geometry {
/// An interval's row is this many pixels high.
inline constexpr int IntervalPenWidth = 2;
/// The mark above a full class: rows across the bar's width, rows clear of its top.
inline constexpr int FullMarkRows = 3;
inline constexpr int FullMarkGap = 1;

// The comparison picture's, in pixels.
inline constexpr int BoxPictureWidth = 640;
inline constexpr int BoxTopMargin = 12;
inline constexpr int BoxRowHeight = 24;
inline constexpr int BoxHalfHeight = 7;
inline constexpr int WhiskerCapHalfHeight = 4;
inline constexpr int BoxLabelLeft = 8;
inline constexpr int BoxLabelRoom = 200;
inline constexpr int BoxPlotRightMargin = 24;
inline constexpr int BoxAxisGap = 4;
inline constexpr int BoxTickLength = 5;
inline constexpr int BoxBottomRoom = 32;
}  // namespace plot_geometry
