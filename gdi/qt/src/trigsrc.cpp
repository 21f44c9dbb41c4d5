#include "oxgdiqt.h"

#include <QFont>
#include <QFontMetrics>

namespace {

constexpr int kTopGap = 4;
constexpr int kFontPixels = 12;
constexpr qreal kCornerRadius = 2; // a corner ellipse 4 pixels across

QFont LabelFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

void DrawTrigSrc(QPainter& dc, const QString& text, QColor textColour, QColor backgroundColour) {
    if (dc.device() == nullptr) {
        return;
    }
    const QRect area(0, kTopGap, dc.device()->width(), dc.device()->height() - kTopGap);
    dc.save();
    dc.fillRect(area, backgroundColour);
    if (!text.isEmpty()) {
        const QFont font = LabelFont();
        const QFontMetrics metrics(font);
        QRect box(0, 0, metrics.horizontalAdvance(text) + 3, metrics.height() + 1);
        box.moveCenter(area.center());
        dc.setFont(font);
        dc.setPen(textColour);
        dc.setBrush(backgroundColour);
        dc.setBackgroundMode(Qt::TransparentMode);
        dc.drawRoundedRect(box, kCornerRadius, kCornerRadius);
        dc.drawText(box, Qt::AlignCenter, text);
    }
    dc.restore();
}
