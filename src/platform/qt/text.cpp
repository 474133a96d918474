#include "platform/qt/text.h"

namespace platform::qt {

QFont DialogFont() {
    // Liberation Sans Narrow (Debian's fonts-liberation) at 11 pixels: the
    // height of the usual dialog font of 6 by 13 pixel base units, narrow
    // enough that every caption fits the rectangle its template gives it.
    QFont font(QStringLiteral("Liberation Sans Narrow"));
    font.setPixelSize(11);
    return font;
}

}  // namespace platform::qt
