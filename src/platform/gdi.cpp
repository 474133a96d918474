// Device contexts on a window's client-area surface: pixels, lines in the
// original platform's convention, text through code page 437, icons.
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/internal.h"

struct HFONT__ {
    QFont font;
    int ascent = 0;
    int cellHeight = 0;
    int advance = 0;
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

struct HICON__ {
    QImage image;
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

std::vector<HDC__*>& LiveDCs() {
    static std::vector<HDC__*> dcs;
    return dcs;
}

HDC NewDC(CWnd* w) {
    auto* dc = new HDC__;
    dc->hwnd = w ? w->m_hWnd : nullptr;
    LiveDCs().push_back(dc);
    return dc;
}

void DeleteDC(HDC dc) {
    std::erase(LiveDCs(), dc);
    delete dc;
}

QImage* SurfaceOf(HDC dc) {
    return (dc && dc->hwnd && dc->hwnd->isDialog) ? &dc->hwnd->surface : nullptr;
}

QRgb ToRgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}
COLORREF ToColorref(QRgb c) {
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// Code page 437, bytes 0x80 to 0xFF.
const char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

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
    if (!f->rendered[b]) {
        f->rendered[b] = true;
        const QChar ch = b < 0x80 ? QChar(b) : QChar(kCp437High[b - 0x80]);
        QImage img(f->advance + 2 * f->margin, f->cellHeight, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setFont(f->font);
        p.setPen(Qt::black);
        p.drawText(f->margin, f->ascent, QString(ch));
        p.end();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (int a = qAlpha(img.pixel(x, y)))
                    f->glyphs[b].push_back(HFONT__::Ink{static_cast<short>(x - f->margin),
                                                        static_cast<short>(y),
                                                        static_cast<unsigned char>(a)});
    }
    return f->glyphs[b];
}

}  // namespace

QImage IconImage(HICON icon) {
    return icon ? icon->image : QImage();
}

HICON LoadIconResource(UINT id) {
    static std::map<UINT, std::unique_ptr<HICON__>> cache;
    auto it = cache.find(id);
    if (it != cache.end()) return it->second.get();
    const IconResource* res = FindIcon(id);
    if (!res) return nullptr;
    auto icon = std::make_unique<HICON__>();
    icon->image = QImage(res->width, res->height, QImage::Format_ARGB32);
    for (int y = 0; y < res->height; ++y)
        for (int x = 0; x < res->width; ++x) icon->image.setPixel(x, y, res->pixels[y * res->width + x]);
    return cache.emplace(id, std::move(icon)).first->second.get();
}

void ForgetWindowDCs(HWND hwnd) {
    for (HDC dc : LiveDCs())
        if (dc->hwnd == hwnd) dc->hwnd = nullptr;
}

}  // namespace platform

using namespace platform;

// The font mapper: a fixed-pitch request (or a Courier face) gets the
// machine's monospaced font, Liberation Mono else DejaVu Sans Mono, as found
// by fontconfig. A positive height is the cell height, and the font is the
// largest pixel size whose cell fits in it; a negative one is the em size.
HFONT CreateFontIndirectA(const LOGFONT* lf) {
    if (!lf) return nullptr;
    static std::vector<std::unique_ptr<HFONT__>> fonts;  // fonts live until the process ends
    auto f = std::make_unique<HFONT__>();
    const bool fixed = (lf->lfPitchAndFamily & 0x3) == 1 || std::strncmp(lf->lfFaceName, "Courier", 7) == 0;
    QFont font(QStringLiteral("DejaVu Sans"));
    if (fixed) {
        font = QFont(QStringLiteral("Liberation Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        if (QFontInfo(font).family() != QStringLiteral("Liberation Mono"))
            font.setFamily(QStringLiteral("DejaVu Sans Mono"));
    }
    if (lf->lfWeight >= 600) font.setBold(true);
    font.setItalic(lf->lfItalic != 0);
    font.setUnderline(lf->lfUnderline != 0);
    font.setStrikeOut(lf->lfStrikeOut != 0);
    font.setHintingPreference(QFont::PreferFullHinting);
    const long long requested = lf->lfHeight;
    const int height =
        requested == 0 ? 16 : static_cast<int>(std::min<long long>(std::llabs(requested), 1000));
    if (requested > 0) {
        int px = height;
        for (; px > 1; --px) {
            font.setPixelSize(px);
            if (QFontMetrics(font).height() <= height) break;
        }
        font.setPixelSize(px);
    } else {
        font.setPixelSize(height);
    }
    QFontMetrics fm(font);
    f->font = font;
    f->ascent = fm.ascent();
    f->cellHeight = requested > 0 ? height : fm.height();
    f->advance = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    f->margin = f->advance / 2;
    fonts.push_back(std::move(f));
    return fonts.back().get();
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    // The chart's hot path: the surface is never shared, so its pixels are
    // written in place without the image's copy-on-write checks.
    QImage* s = SurfaceOf(m_hDC);
    if (!s || x < 0 || y < 0 || x >= s->width() || y >= s->height()) return 0xFFFFFFFFu;
    auto* row = reinterpret_cast<QRgb*>(const_cast<uchar*>(s->constScanLine(y)));
    row[x] = ToRgb(color);
    if (m_hDC->hwnd->liveUpdates) SurfaceChanged(m_hDC->hwnd);
    return color;
}

COLORREF CDC::GetPixel(int x, int y) const {
    QImage* s = SurfaceOf(m_hDC);
    if (!s || x < 0 || y < 0 || x >= s->width() || y >= s->height()) return 0xFFFFFFFFu;
    return ToColorref(reinterpret_cast<const QRgb*>(s->constScanLine(y))[x]);
}

CPoint CDC::MoveTo(int x, int y) {
    CPoint old;
    if (!m_hDC) return old;
    old = CPoint{m_hDC->curX, m_hDC->curY};
    m_hDC->curX = x;
    m_hDC->curY = y;
    return old;
}

// The original platform's cosmetic line: one pixel per step of the major
// axis, the end pixel left out (the next line starts there). The minor
// coordinate is the nearest one to the exact line, a tie going to the smaller
// coordinate whichever way the line runs, so a line and its reverse light the
// same pixels. Only the steps that fall on the surface are walked.
BOOL CDC::LineTo(int x, int y) {
    if (!m_hDC) return FALSE;
    QImage* s = SurfaceOf(m_hDC);
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
    const std::int64_t majorSize = xMajor ? s->width() : s->height();
    const std::int64_t minorSize = xMajor ? s->height() : s->width();

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

    uchar* bits = s->bits();
    const std::int64_t stride = s->bytesPerLine();
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t a = major0 + sMajor * i, b = minor0 + sMinor * k;
        if (b >= 0 && b < minorSize) {
            const std::int64_t px = xMajor ? a : b, py = xMajor ? b : a;
            reinterpret_cast<QRgb*>(bits + py * stride)[px] = qRgb(0, 0, 0);
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
    QImage* s = SurfaceOf(m_hDC);
    if (!s || !text || nCount <= 0) return FALSE;
    HFONT f = m_hDC->font ? m_hDC->font : DefaultFont();
    const std::int64_t w = s->width(), h = s->height(), cell = f->advance;
    const std::int64_t left = x, top = y, right = left + cell * nCount, bottom = top + f->cellHeight;
    uchar* bits = s->bits();
    const std::int64_t stride = s->bytesPerLine();
    auto at = [&](std::int64_t px, std::int64_t py) -> QRgb& {
        return reinterpret_cast<QRgb*>(bits + py * stride)[px];
    };
    const std::int64_t x0 = std::max<std::int64_t>(left, 0), x1 = std::min(right, w);
    if (m_hDC->bkMode == OPAQUE && x0 < x1) {
        const QRgb bk = ToRgb(m_hDC->bkColor);
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
            QRgb& d = at(px, py);
            const int keep = 255 - ink.coverage;
            d = qRgb((qRed(d) * keep + 127) / 255, (qGreen(d) * keep + 127) / 255,
                     (qBlue(d) * keep + 127) / 255);
        }
    }
    SurfaceChanged(m_hDC->hwnd);
    return TRUE;
}

int CDC::SetBkMode(int mode) {
    if (!m_hDC) return 0;
    int old = m_hDC->bkMode;
    m_hDC->bkMode = mode;
    return old;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    if (!m_hDC) return 0xFFFFFFFFu;
    COLORREF old = m_hDC->bkColor;
    m_hDC->bkColor = color;
    return old;
}

HFONT CDC::SelectObject(HFONT font) {
    if (!m_hDC) return nullptr;
    HFONT old = m_hDC->font;
    m_hDC->font = font;
    return old;
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    QImage* s = SurfaceOf(m_hDC);
    if (!s || !icon) return FALSE;
    QPainter p(s);
    p.drawImage(x, y, icon->image);
    p.end();
    SurfaceChanged(m_hDC->hwnd);
    return TRUE;
}

CClientDC::CClientDC(CWnd* pWnd) {
    m_hDC = NewDC(pWnd);
}
CClientDC::~CClientDC() {
    DeleteDC(m_hDC);
}
CPaintDC::CPaintDC(CWnd* pWnd) {
    m_hDC = NewDC(pWnd);
}
CPaintDC::~CPaintDC() {
    DeleteDC(m_hDC);
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}
