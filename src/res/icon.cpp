// Icon 128: a small furnace with a flame in its mouth, drawn at first use.
// The design is painted like a picture, blocks of colour over each other and
// the flame last, so that pixels and SVG shapes come from the same blocks.
#include "res/icon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "platform/restypes.h"
#include "res/resource.h"

namespace res {
namespace {

constexpr std::uint32_t kChimney = 0xFF505050;
constexpr std::uint32_t kOutline = 0xFF202020;
constexpr std::uint32_t kBrick = 0xFF7A4A2A;
constexpr std::uint32_t kMortar = 0xFF5A3420;
constexpr std::uint32_t kMouth = 0xFF301008;

// A block covers units [x0, x1) × [y0, y1).
struct Block {
    int x0, y0, x1, y1;
    std::uint32_t colour;
    bool Holds(double u, double v) const { return u >= x0 && u < x1 && v >= y0 && v < y1; }
};

constexpr Block kMouthBlock{8, 14, 24, 27, kMouth};

// Back to front: chimney, body with its outline, brick courses, the mouth.
const std::vector<Block>& Blocks() {
    static const std::vector<Block> blocks = [] {
        std::vector<Block> b{{20, 1, 25, 7, kChimney}, {3, 6, 29, 30, kOutline}, {4, 7, 28, 29, kBrick}};
        for (int y = 9; y < 29; y += 4) b.push_back({4, y, 28, y + 1, kMortar});
        // Joints every 8 units, shifted by half a brick from one 4-unit band to the next.
        for (int band = 1; band <= 7; ++band) {
            int y0 = std::max(7, 4 * band), y1 = std::min(29, 4 * band + 4);
            for (int x = band % 2 ? 10 : 6; x < 28; x += 8) b.push_back({x, y0, x + 1, y1, kMortar});
        }
        b.push_back(kMouthBlock);
        return b;
    }();
    return blocks;
}

// The flame: rings r < 1, 0.6, 0.25 of r = dx² / (1.05 − dy) + 0.2 dy², with
// dx across from the mouth's middle and dy up from just above its floor, for
// 0 ≤ dy < 1. Hottest at its core, narrowing upward.
constexpr double kFlameX = 16.0, kFlameWidth = 5.0, kFlameFloor = 26.5, kFlameHeight = 11.0;
constexpr std::array<double, 3> kRing{1.0, 0.6, 0.25};
constexpr std::array<std::uint32_t, 3> kRingColour{0xFFE04010, 0xFFFFB020, 0xFFFFF0A0};

std::uint32_t ColourAt(double u, double v) {
    std::uint32_t c = 0x00000000;  // transparent
    for (const Block& b : Blocks())
        if (b.Holds(u, v)) c = b.colour;
    if (kMouthBlock.Holds(u, v)) {
        double dx = (u - kFlameX) / kFlameWidth, dy = (kFlameFloor - v) / kFlameHeight;
        double r = dx * dx / (1.05 - dy) + dy * dy * 0.2;
        if (dy >= 0 && dy < 1.0)
            for (std::size_t i = 0; i < kRing.size(); ++i)
                if (r < kRing[i]) c = kRingColour[i];
    }
    return c;
}

// Half the ring's width at height dy, in units of kFlameWidth.
double RingHalfWidth(double ring, double dy) {
    return std::sqrt(std::max(0.0, (ring - 0.2 * dy * dy) * (1.05 - dy)));
}

std::string Hex(std::uint32_t argb) {
    char s[8];
    std::snprintf(s, sizeof s, "#%06X", static_cast<unsigned>(argb & 0xFFFFFF));
    return s;
}

std::string Number(double x) {
    char s[32];
    std::snprintf(s, sizeof s, "%.3f", x);
    std::string t = s;
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
    return t;
}

}  // namespace

std::vector<std::uint32_t> DrawIcon(int size) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    // At its own 32 pixels a pixel takes the colour at its centre, as the
    // window has always shown it; at other sizes it averages n × n samples
    // so that edges falling inside it blend.
    const int n = size == kIconUnits ? 1 : 4;
    const double scale = static_cast<double>(kIconUnits) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint64_t a = 0, r = 0, g = 0, b = 0;
            for (int j = 0; j < n; ++j) {
                for (int i = 0; i < n; ++i) {
                    std::uint32_t c = ColourAt((x + (i + 0.5) / n) * scale, (y + (j + 0.5) / n) * scale);
                    std::uint64_t ca = c >> 24;
                    a += ca;
                    r += ca * ((c >> 16) & 0xFF);
                    g += ca * ((c >> 8) & 0xFF);
                    b += ca * (c & 0xFF);
                }
            }
            std::uint32_t out = 0;
            if (a > 0) {
                auto avg = [&](std::uint64_t sum) { return static_cast<std::uint32_t>((sum + a / 2) / a); };
                std::uint32_t alpha = static_cast<std::uint32_t>((a + n * n / 2) / (n * n));
                out = alpha << 24 | avg(r) << 16 | avg(g) << 8 | avg(b);
            }
            px[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] =
                out;
        }
    }
    return px;
}

std::string IconSvg() {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
    svg += " width=\"" + std::to_string(kIconUnits) + "\" height=\"" + std::to_string(kIconUnits) +
           "\" viewBox=\"0 0 " + std::to_string(kIconUnits) + " " + std::to_string(kIconUnits) + "\">\n";
    for (const Block& b : Blocks())
        svg += "  <rect x=\"" + std::to_string(b.x0) + "\" y=\"" + std::to_string(b.y0) + "\" width=\"" +
               std::to_string(b.x1 - b.x0) + "\" height=\"" + std::to_string(b.y1 - b.y0) + "\" fill=\"" +
               Hex(b.colour) + "\"/>\n";
    // Each ring as a polygon: up its right side, down its left.
    constexpr int kSteps = 64;
    for (std::size_t i = 0; i < kRing.size(); ++i) {
        std::string right, left;
        for (int s = 0; s <= kSteps; ++s) {
            double dy = static_cast<double>(s) / kSteps;
            double w = kFlameWidth * RingHalfWidth(kRing[i], dy), v = kFlameFloor - kFlameHeight * dy;
            right += Number(kFlameX + w) + "," + Number(v) + " ";
            left = Number(kFlameX - w) + "," + Number(v) + " " + left;
        }
        left.pop_back();
        svg += "  <polygon fill=\"" + Hex(kRingColour[i]) + "\" points=\"" + right + left + "\"/>\n";
    }
    return svg + "</svg>\n";
}

}  // namespace res

namespace platform {

const IconResource* FindIcon(UINT id) {
    if (id != IDR_MAINFRAME) return nullptr;
    static const auto pixels = res::DrawIcon(res::kIconUnits);
    static const IconResource icon{IDR_MAINFRAME, res::kIconUnits, res::kIconUnits, pixels.data()};
    return &icon;
}

}  // namespace platform
