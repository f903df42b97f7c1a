#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>

#include "GuiFixture.h"
#include "app/TfrmAbout.h"

namespace zandro {
namespace {

// The texts of a window that its fixed places cut: a label or button narrower or lower than its
// text needs, or reaching past the window's edge.
QStringList cutTexts(QWidget* window) {
    QStringList cut;
    const QRect inside = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (!(label && label->pixmap().isNull()) && !button)
            continue;
        if (!w->isVisibleTo(window) || (label && label->wordWrap()))
            continue;
        const QSize need = w->sizeHint();
        const QRect place(w->mapTo(window, QPoint(0, 0)), w->size());
        if (w->width() < need.width() || w->height() < need.height() || !inside.contains(place))
            cut.append(w->objectName() + QLatin1Char(' ') + (label ? label->text() : button->text()));
    }
    return cut;
}

TEST(WholeTextsTest, TheAboutWindowShowsEveryTextWhole) {
    test::ensureApplication();
    TfrmAbout about;
    about.show();
    EXPECT_EQ(about.size(), QSize(286, 205));
    EXPECT_EQ(cutTexts(&about).join(QLatin1Char('|')).toStdString(), "");
    // Sizes in pixels keep that on a screen of any DPI and under any scale factor.
    for (QLabel* label : about.findChildren<QLabel*>())
        EXPECT_GT(label->font().pixelSize(), 0) << label->objectName().toStdString();
}

TEST(WholeTextsTest, EveryWindowHasTheProgramsIcon) {
    test::ensureApplication();
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    TfrmAbout about;
    EXPECT_FALSE(about.windowIcon().isNull());
}

}  // namespace
}  // namespace zandro
