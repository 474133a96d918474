// Icon 128: a small furnace with a flame in its mouth, drawn at first use.
#include <array>
#include <cmath>
#include <cstdint>

#include "platform/restypes.h"
#include "res/resource.h"

namespace {

constexpr int kSize = 32;

std::array<std::uint32_t, kSize * kSize> DrawFurnace() {
    std::array<std::uint32_t, kSize * kSize> px{};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            std::uint32_t c = 0x00000000;  // transparent
            bool body = x >= 3 && x <= 28 && y >= 6 && y <= 29;
            bool edge = body && (x == 3 || x == 28 || y == 6 || y == 29);
            bool chimney = x >= 20 && x <= 24 && y >= 1 && y <= 6;
            bool mouth = x >= 8 && x <= 23 && y >= 14 && y <= 26;
            if (chimney) c = 0xFF505050;
            if (body) c = edge ? 0xFF202020 : 0xFF7A4A2A;  // brick
            if (body && !edge && (y % 4 == 1 || ((y / 4) % 2 ? x % 8 == 2 : x % 8 == 6))) c = 0xFF5A3420;
            if (mouth) {
                c = 0xFF301008;
                // A flame: hottest at its core, narrowing upward.
                double cx = 15.5, dx = (x - cx) / 5.0, dy = (26.0 - y) / 11.0;
                double r = dx * dx / (1.05 - dy) + dy * dy * 0.2;
                if (dy >= 0 && dy < 1.0 && r < 1.0)
                    c = r < 0.25 ? 0xFFFFF0A0 : (r < 0.6 ? 0xFFFFB020 : 0xFFE04010);
            }
            px[static_cast<std::size_t>(y * kSize + x)] = c;
        }
    }
    return px;
}

}  // namespace

namespace platform {

const IconResource* FindIcon(UINT id) {
    if (id != IDR_MAINFRAME) return nullptr;
    static const auto pixels = DrawFurnace();
    static const IconResource icon{IDR_MAINFRAME, kSize, kSize, pixels.data()};
    return &icon;
}

}  // namespace platform
