#include "FamilyIcons.h"

#include <QPainter>
#include <array>

namespace zandro {

namespace {

struct IconStyle {
    const char* title;
    const char* subtitle;
    QColor body;
};

void drawChip(QPainter& p, const QRect& r, const IconStyle& style) {
    p.setRenderHint(QPainter::Antialiasing);
    // Pins on all four sides.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 170, 90));
    const int pins = 7;
    const int step = r.width() / (pins + 1);
    for (int i = 1; i <= pins; ++i) {
        const int x = r.left() + i * step;
        const int y = r.top() + i * step;
        p.drawRect(x - 2, r.top(), 4, 8);
        p.drawRect(x - 2, r.bottom() - 8, 4, 8);
        p.drawRect(r.left(), y - 2, 8, 4);
        p.drawRect(r.right() - 8, y - 2, 8, 4);
    }
    const QRect body = r.adjusted(7, 7, -7, -7);
    p.setBrush(style.body);
    p.setPen(QPen(style.body.darker(150), 2));
    p.drawRoundedRect(body, 6, 6);
    const QRect die =
        body.adjusted(body.width() / 5, body.height() / 5, -body.width() / 5, -body.height() / 5);
    p.setBrush(style.body.lighter(130));
    p.setPen(Qt::NoPen);
    p.drawRect(die);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(die.height() / 3);
    p.setFont(f);
    p.drawText(die.adjusted(0, 0, 0, -die.height() / 3), Qt::AlignCenter,
               QString::fromLatin1(style.title));
    f.setPixelSize(qMax(7, die.height() / 6));
    f.setBold(false);
    p.setFont(f);
    p.drawText(die.adjusted(0, die.height() * 2 / 3 - 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromLatin1(style.subtitle));
}

}  // namespace

QPixmap familyIcon(const FamilyIconStyle& style, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    drawChip(p, pixmap.rect(), IconStyle{style.title, style.subtitle, QColor(style.body)});
    return pixmap;
}

QPixmap aboutPicture(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    const int chip = height - 4;
    drawChip(p, QRect(2, 2, chip, chip), IconStyle{"Z", "MSR", QColor(120, 40, 40)});
    p.setPen(QColor(120, 40, 40));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(height / 4);
    p.setFont(f);
    p.drawText(QRect(chip + 6, 0, width - chip - 6, height), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("ZANDRO"));
    return pixmap;
}

}  // namespace zandro
