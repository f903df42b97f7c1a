#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>

#include "GuiFixture.h"
#include "app/TfrmAbout.h"
#include "app/TfrmSettings.h"

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
            cut.append(w->objectName() + QLatin1Char(' ') +
                       (label ? label->text() : button->text()));
    }
    return cut;
}

// The labels and buttons placed on `parent` that cover one another.
QStringList overlapping(QWidget* parent) {
    QList<QWidget*> texts;
    for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
            texts.append(w);
    }
    QStringList pairs;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        for (qsizetype j = i + 1; j < texts.size(); ++j) {
            if (texts[i]->geometry().intersects(texts[j]->geometry()))
                pairs.append(texts[i]->objectName() + QLatin1Char('/') + texts[j]->objectName());
        }
    }
    return pairs;
}

TEST(WholeTextsTest, TheConfigurationWindowShowsEveryTextWhole) {
    test::GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:sbtnConfiguration"));
    auto* dialog = rig.window->findChild<TfrmSettings*>();
    ASSERT_NE(dialog, nullptr);
    for (const char* name : {"TabSheet1", "TabSheet2"}) {
        rig.act(QStringLiteral("tab:") + QLatin1String(name));
        auto* sheet = dialog->findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(cutTexts(sheet).join(QLatin1Char('|')).toStdString(), "") << name;
        EXPECT_EQ(overlapping(sheet).join(QLatin1Char('|')).toStdString(), "") << name;
    }
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
