#include "Appearance.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStyleFactory>

namespace zandro {

void applyAppearance(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(fusion);
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    app.setFont(font);
    // The installed theme's icon where there is one, else the same picture built in.
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("zandro"),
                                       QIcon(QStringLiteral(":/zandro-48.png"))));
}

}  // namespace zandro
