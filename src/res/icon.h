// The program's icon: a small furnace with a flame in its mouth, designed on a
// square of 32 units. The window shows it at 32 × 32 pixels; the desktop gets
// the same design at its own sizes and as SVG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace res {

constexpr int kIconUnits = 32;

// The icon at size × size pixels (size > 0), 0xAARRGGBB row by row.
std::vector<std::uint32_t> DrawIcon(int size);

// The icon as an SVG document: the same blocks of colour, and the flame's
// outlines traced from the curves that DrawIcon samples.
std::string IconSvg();

}  // namespace res
