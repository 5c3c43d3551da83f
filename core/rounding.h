#pragma once
// The one conversion of a real to a whole number used everywhere in the program.

#include <cstdint>

/// \brief Nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
/// Values beyond the int32 range are clamped to its ends; NaN gives 0, so no
/// input can cause undefined behaviour.
std::int32_t nearest(double x);
