// Device contexts on a window's client-area surface: pixels, lines in the
// original platform's convention, text through code page 437, icons.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/api/internal.h"

struct HFONT__ {
    platform::FontMetrics metrics;
    std::unique_ptr<platform::FontPeer> peer;
    // Each byte's glyph as its inked pixels, rendered once on first use;
    // x is relative to the cell's left edge and may reach `margin` pixels
    // beyond it on either side.
    struct Ink {
        short x, y;
        unsigned char coverage;
    };
    int margin = 0;
    std::array<std::vector<Ink>, 256> glyphs;
    std::array<bool, 256> rendered{};
};

struct HDC__ {
    HWND hwnd = nullptr;
    int curX = 0, curY = 0;
    int bkMode = OPAQUE;
    COLORREF bkColor = RGB(255, 255, 255);
    HFONT font = nullptr;
};

namespace platform {
namespace {

std::vector<HDC>& LiveDCs() {
    static std::vector<HDC> dcs;
    return dcs;
}

Surface* SurfaceOf(HDC dc) {
    return (dc && dc->hwnd && dc->hwnd->isDialog) ? &dc->hwnd->surface : nullptr;
}

std::uint32_t ToRgb(COLORREF c) {
    return 0xFF000000u | static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
}
COLORREF ToColorref(std::uint32_t c) {
    return RGB(static_cast<int>(c >> 16), static_cast<int>(c >> 8), static_cast<int>(c));
}

// Code page 437, bytes 0x80 to 0xFF (the last a no-break space).
const char16_t kCp437High[] =
    u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
    u"└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
static_assert(sizeof kCp437High / sizeof kCp437High[0] == 129);

HFONT DefaultFont() {
    static HFONT f = [] {
        LOGFONT lf{};
        lf.lfHeight = 16;
        std::strcpy(lf.lfFaceName, "System");
        return CreateFontIndirectA(&lf);
    }();
    return f;
}

// A byte's glyph, rendered on first use.
const std::vector<HFONT__::Ink>& Glyph(HFONT f, unsigned char b) {
    if (!f->rendered[b] && f->peer) {
        f->rendered[b] = true;
        const int w = f->metrics.advance + 2 * f->margin, h = f->metrics.cellHeight;
        std::vector<unsigned char> coverage(static_cast<std::size_t>(w) * h);
        f->peer->Render(b < 0x80 ? char32_t{b} : char32_t{kCp437High[b - 0x80]}, f->margin, f->metrics.ascent,
                        w, h, coverage.data());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (unsigned char a = coverage[static_cast<std::size_t>(y) * w + x])
                    f->glyphs[b].push_back(
                        HFONT__::Ink{static_cast<short>(x - f->margin), static_cast<short>(y), a});
    }
    return f->glyphs[b];
}

// A pixel of `src`, its alpha over a surface pixel: an icon's, or black ink.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t a = src >> 24;
    if (a == 0xFF) return src;
    std::uint32_t out = 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

HICON LoadIconResource(UINT id) {
    static std::map<UINT, std::unique_ptr<HICON__>> cache;
    auto it = cache.find(id);
    if (it != cache.end()) return it->second.get();
    const IconResource* res = FindIcon(id);
    if (!res) return nullptr;
    auto icon = std::make_unique<HICON__>();
    icon->width = res->width;
    icon->height = res->height;
    icon->pixels.assign(res->pixels, res->pixels + std::size_t(res->width) * res->height);
    return cache.emplace(id, std::move(icon)).first->second.get();
}

void ForgetWindowDCs(HWND hwnd) {
    for (HDC dc : LiveDCs())
        if (dc->hwnd == hwnd) dc->hwnd = nullptr;
}

}  // namespace platform

using namespace platform;

// Fonts live until the process ends; the window system maps them.
HFONT CreateFontIndirectA(const LOGFONT* lf) {
    if (!lf) return nullptr;
    static std::vector<std::unique_ptr<HFONT__>> fonts;
    auto f = std::make_unique<HFONT__>();
    if (WindowSystem* ws = TheWindowSystem()) f->peer = ws->MapFont(*lf, f->metrics);
    f->margin = f->metrics.advance / 2;
    fonts.push_back(std::move(f));
    return fonts.back().get();
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    // The chart's hot path: one store, and a repaint request only where a
    // display shows the surface.
    Surface* s = SurfaceOf(m_hDC);
    if (!s || x < 0 || y < 0 || x >= s->width || y >= s->height) return 0xFFFFFFFFu;
    s->Row(y)[x] = ToRgb(color);
    if (m_hDC->hwnd->liveUpdates) SurfaceChanged(m_hDC->hwnd);
    return color;
}

COLORREF CDC::GetPixel(int x, int y) const {
    Surface* s = SurfaceOf(m_hDC);
    if (!s || x < 0 || y < 0 || x >= s->width || y >= s->height) return 0xFFFFFFFFu;
    return ToColorref(s->Row(y)[x]);
}

CPoint CDC::MoveTo(int x, int y) {
    if (!m_hDC) return CPoint{};
    return CPoint{std::exchange(m_hDC->curX, x), std::exchange(m_hDC->curY, y)};
}

// The original platform's cosmetic line: one pixel per step of the major
// axis, the end pixel left out (the next line starts there). The minor
// coordinate is the nearest one to the exact line, a tie going to the smaller
// coordinate whichever way the line runs, so a line and its reverse light the
// same pixels. Only the steps that fall on the surface are walked.
BOOL CDC::LineTo(int x, int y) {
    if (!m_hDC) return FALSE;
    Surface* s = SurfaceOf(m_hDC);
    const std::int64_t x0 = m_hDC->curX, y0 = m_hDC->curY;
    m_hDC->curX = x;
    m_hDC->curY = y;
    if (!s) return FALSE;
    const std::int64_t dx = x - x0, dy = y - y0;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const std::int64_t major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const std::int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    const std::int64_t len = dMajor < 0 ? -dMajor : dMajor;  // pixels drawn
    const std::int64_t m = dMinor < 0 ? -dMinor : dMinor;
    const int sMajor = dMajor < 0 ? -1 : 1, sMinor = dMinor < 0 ? -1 : 1;
    const std::int64_t majorSize = xMajor ? s->width : s->height;
    const std::int64_t minorSize = xMajor ? s->height : s->width;

    // Steps i whose major coordinate major0 + sMajor * i lies on the surface.
    std::int64_t first = sMajor > 0 ? -major0 : major0 - (majorSize - 1);
    std::int64_t last = sMajor > 0 ? majorSize - 1 - major0 : major0;
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, len - 1);
    if (first > last) return TRUE;

    // Minor offset of step i: round(i * m / len), ties toward the smaller
    // coordinate, = floor((2 i m + len - 1 + bias) / 2 len), bias 1 when the
    // minor coordinate decreases. Exact in 128 bits for any int endpoints.
    __extension__ typedef unsigned __int128 Wide;
    const std::int64_t bias = sMinor < 0 ? 1 : 0;
    const auto twoLen = static_cast<std::uint64_t>(2 * len);
    std::int64_t k = 0;
    auto rem = static_cast<std::uint64_t>(len - 1 + bias);  // < twoLen
    if (first > 0) {
        const Wide num = Wide(2) * static_cast<std::uint64_t>(first) * static_cast<std::uint64_t>(m) + rem;
        k = static_cast<std::int64_t>(num / twoLen);
        rem = static_cast<std::uint64_t>(num % twoLen);
    }
    const auto twoM = static_cast<std::uint64_t>(2 * m);

    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t a = major0 + sMajor * i, b = minor0 + sMinor * k;
        if (b >= 0 && b < minorSize) {
            const std::int64_t px = xMajor ? a : b, py = xMajor ? b : a;
            s->Row(py)[px] = 0xFF000000u;
        }
        rem += twoM;  // m <= len: at most one minor step per major step
        if (rem >= twoLen) {
            rem -= twoLen;
            ++k;
        }
    }
    SurfaceChanged(m_hDC->hwnd);
    return TRUE;
}

// Bytes through code page 437, one fixed cell each, top left at (x, y), in
// black. In opaque mode the cells are first painted in the background colour.
BOOL CDC::TextOut(int x, int y, LPCSTR text, int nCount) {
    Surface* s = SurfaceOf(m_hDC);
    if (!s || !text || nCount <= 0) return FALSE;
    HFONT f = m_hDC->font ? m_hDC->font : DefaultFont();
    const std::int64_t w = s->width, h = s->height, cell = f->metrics.advance;
    const std::int64_t left = x, top = y, right = left + cell * nCount, bottom = top + f->metrics.cellHeight;
    auto at = [&](std::int64_t px, std::int64_t py) -> std::uint32_t& { return s->Row(py)[px]; };
    const std::int64_t x0 = std::max<std::int64_t>(left, 0), x1 = std::min(right, w);
    if (m_hDC->bkMode == OPAQUE && x0 < x1) {
        const std::uint32_t bk = ToRgb(m_hDC->bkColor);
        for (std::int64_t py = std::max<std::int64_t>(top, 0); py < std::min(bottom, h); ++py)
            std::fill(&at(x0, py), &at(x0, py) + (x1 - x0), bk);
    }
    // Black ink over the surface by each glyph's coverage.
    for (int i = 0; i < nCount; ++i) {
        const std::int64_t cx = left + cell * i;
        if (cx - f->margin >= w) break;
        if (cx + cell + f->margin <= 0) continue;
        for (const HFONT__::Ink& ink : Glyph(f, static_cast<unsigned char>(text[i]))) {
            const std::int64_t px = cx + ink.x, py = top + ink.y;
            if (px < 0 || py < 0 || px >= w || py >= h) continue;
            at(px, py) = Over(std::uint32_t{ink.coverage} << 24, at(px, py));
        }
    }
    SurfaceChanged(m_hDC->hwnd);
    return TRUE;
}

int CDC::SetBkMode(int mode) {
    return m_hDC ? std::exchange(m_hDC->bkMode, mode) : 0;
}
COLORREF CDC::SetBkColor(COLORREF color) {
    return m_hDC ? std::exchange(m_hDC->bkColor, color) : 0xFFFFFFFFu;
}
HFONT CDC::SelectObject(HFONT font) {
    return m_hDC ? std::exchange(m_hDC->font, font) : nullptr;
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    Surface* s = SurfaceOf(m_hDC);
    if (!s || !icon) return FALSE;
    for (int iy = 0; iy < icon->height; ++iy) {
        for (int ix = 0; ix < icon->width; ++ix) {
            const std::int64_t px = std::int64_t{x} + ix, py = std::int64_t{y} + iy;
            if (px < 0 || py < 0 || px >= s->width || py >= s->height) continue;
            std::uint32_t& d = s->Row(py)[px];
            d = Over(icon->pixels[std::size_t(iy) * icon->width + ix], d);
        }
    }
    SurfaceChanged(m_hDC->hwnd);
    return TRUE;
}

// A device context lives as long as its object; its window may go first.
CClientDC::CClientDC(CWnd* pWnd) {
    m_hDC = new HDC__;
    m_hDC->hwnd = pWnd ? pWnd->m_hWnd : nullptr;
    LiveDCs().push_back(m_hDC);
}
CClientDC::~CClientDC() {
    std::erase(LiveDCs(), m_hDC);
    delete m_hDC;
}

int GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}
