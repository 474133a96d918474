// Device contexts on a window's client-area surface: pixels, lines in the
// original platform's convention, text through code page 437, icons.
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
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

QRgb ToRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF ToColorref(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }

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

}  // namespace

QImage IconImage(HICON icon) { return icon ? icon->image : QImage(); }

HICON LoadIconResource(UINT id) {
    static std::map<UINT, std::unique_ptr<HICON__>> cache;
    auto it = cache.find(id);
    if (it != cache.end()) return it->second.get();
    const IconResource* res = FindIcon(id);
    if (!res) return nullptr;
    auto icon = std::make_unique<HICON__>();
    icon->image = QImage(res->width, res->height, QImage::Format_ARGB32);
    for (int y = 0; y < res->height; ++y)
        for (int x = 0; x < res->width; ++x)
            icon->image.setPixel(x, y, res->pixels[y * res->width + x]);
    return cache.emplace(id, std::move(icon)).first->second.get();
}

void ForgetWindowDCs(HWND hwnd) {
    for (HDC dc : LiveDCs())
        if (dc->hwnd == hwnd) dc->hwnd = nullptr;
}

}  // namespace platform

using namespace platform;

HFONT CreateFontIndirectA(const LOGFONT* lf) {
    if (!lf) return nullptr;
    static std::vector<std::unique_ptr<HFONT__>> fonts;  // fonts live until the process ends
    auto f = std::make_unique<HFONT__>();
    bool fixed = (lf->lfPitchAndFamily & 0x3) == 1 || std::strncmp(lf->lfFaceName, "Courier", 7) == 0;
    const char* candidates[] = {"Liberation Mono", "DejaVu Sans Mono"};
    QFont font(fixed ? QString::fromLatin1(candidates[0]) : QStringLiteral("DejaVu Sans"));
    if (fixed) {
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        if (QFontInfo(font).family() != QString::fromLatin1(candidates[0]))
            font.setFamily(QString::fromLatin1(candidates[1]));
    }
    if (lf->lfWeight >= 600) font.setBold(true);
    font.setItalic(lf->lfItalic != 0);
    font.setUnderline(lf->lfUnderline != 0);
    font.setStrikeOut(lf->lfStrikeOut != 0);
    font.setHintingPreference(QFont::PreferFullHinting);
    int height = lf->lfHeight == 0 ? 16 : std::abs(static_cast<int>(lf->lfHeight));
    if (lf->lfHeight > 0) {
        // A positive height is the cell height: the largest size whose cell fits.
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
    f->cellHeight = lf->lfHeight > 0 ? height : fm.height();
    f->advance = fm.horizontalAdvance(QLatin1Char('0'));
    fonts.push_back(std::move(f));
    return fonts.back().get();
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    QImage* s = SurfaceOf(m_hDC);
    if (!s || x < 0 || y < 0 || x >= s->width() || y >= s->height()) return 0xFFFFFFFFu;
    reinterpret_cast<QRgb*>(s->scanLine(y))[x] = ToRgb(color);
    SurfaceChanged(m_hDC->hwnd);
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

BOOL CDC::LineTo(int x, int y) {
    if (!m_hDC) return FALSE;
    QImage* s = SurfaceOf(m_hDC);
    // One pixel wide in the default black pen, the end pixel left out.
    int x0 = m_hDC->curX, y0 = m_hDC->curY;
    m_hDC->curX = x;
    m_hDC->curY = y;
    if (!s) return FALSE;
    const QRgb black = qRgb(0, 0, 0);
    const int w = s->width(), h = s->height();
    auto plot = [&](int px, int py) {
        if (px >= 0 && py >= 0 && px < w && py < h) reinterpret_cast<QRgb*>(s->scanLine(py))[px] = black;
    };
    long long dx = std::llabs(static_cast<long long>(x) - x0), dy = std::llabs(static_cast<long long>(y) - y0);
    int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    if (dx >= dy) {
        // x-major: one pixel per column; the error term rounds half toward the start.
        long long err = 0;
        int py = y0;
        for (long long i = 0; i < dx; ++i) {
            plot(static_cast<int>(x0 + sx * i), py);
            err += 2 * dy;
            if (err > dx) {
                py += sy;
                err -= 2 * dx;
            }
        }
    } else {
        long long err = 0;
        int px = x0;
        for (long long i = 0; i < dy; ++i) {
            plot(px, static_cast<int>(y0 + sy * i));
            err += 2 * dx;
            if (err > dy) {
                px += sx;
                err -= 2 * dy;
            }
        }
    }
    SurfaceChanged(m_hDC->hwnd);
    return TRUE;
}

BOOL CDC::TextOut(int x, int y, LPCSTR text, int nCount) {
    QImage* s = SurfaceOf(m_hDC);
    if (!s || !text || nCount <= 0) return FALSE;
    HFONT f = m_hDC->font ? m_hDC->font : DefaultFont();
    QPainter p(s);
    p.setFont(f->font);
    if (m_hDC->bkMode == OPAQUE) p.fillRect(x, y, f->advance * nCount, f->cellHeight, QColor(ToRgb(m_hDC->bkColor)));
    p.setPen(Qt::black);
    // Cell by cell, so each character keeps its fixed place.
    for (int i = 0; i < nCount; ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b == ' ') continue;
        QChar ch = b < 0x80 ? QChar(b) : QChar(kCp437High[b - 0x80]);
        p.drawText(x + i * f->advance, y + f->ascent, QString(ch));
    }
    p.end();
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

CClientDC::CClientDC(CWnd* pWnd) { m_hDC = NewDC(pWnd); }
CClientDC::~CClientDC() { DeleteDC(m_hDC); }
CPaintDC::CPaintDC(CWnd* pWnd) { m_hDC = NewDC(pWnd); }
CPaintDC::~CPaintDC() { DeleteDC(m_hDC); }

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}
