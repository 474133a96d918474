#include "platform/qt/text.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace platform::qt {
namespace {

// The text as one layout: each line end starts a new line.
QString Prepared(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

// Lays the text out `width` pixels wide: lines break between words, and
// inside a word that is longer than a line, so that none is cut off.
TextExtent LayOut(QTextLayout& layout, int width) {
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal y = 0, widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return TextExtent{static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(y))};
}

class WrappingText : public QWidget {
public:
    WrappingText(QWidget* parent, const QString& text) : QWidget(parent) { setProperty("text", text); }

protected:
    void paintEvent(QPaintEvent*) override {
        QTextLayout layout(Prepared(property("text").toString()), font());
        LayOut(layout, width());
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        layout.draw(&p, QPointF(0, 0));
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::DynamicPropertyChange) update();
        return QWidget::event(e);
    }
};

}  // namespace

QFont DialogFont() {
    // Liberation Sans Narrow (Debian's fonts-liberation) at 11 pixels: the
    // height of the usual dialog font of 6 by 13 pixel base units, narrow
    // enough that every caption fits the rectangle its template gives it.
    QFont font(QStringLiteral("Liberation Sans Narrow"));
    font.setPixelSize(11);
    return font;
}

QWidget* MakeWrappingText(QWidget* parent, const QString& text) {
    return new WrappingText(parent, text);
}

TextExtent MeasureWrapping(const std::string& text, int maxWidth) {
    QTextLayout layout(Prepared(QString::fromStdString(text)), DialogFont());
    return LayOut(layout, std::max(maxWidth, 1));
}

}  // namespace platform::qt
