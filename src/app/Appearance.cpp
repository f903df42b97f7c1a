#include "Appearance.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

namespace zandro {

void applyAppearance(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(fusion);
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    app.setFont(font);
}

}  // namespace zandro
