#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>

#include "GuiFixture.h"
#include "app/TfrmAbout.h"
#include "app/TfrmGlobalMSR.h"
#include "families/FamilyPage.h"
#include "families/WrappingTabBar.h"

// Run plainly (QT_SCALE_FACTOR unset: scale 1) and again by CTest under QT_SCALE_FACTOR 1.25 and
// 1.5 (tests/CMakeLists.txt): every window keeps its designed size in logical pixels and must
// show every text whole at each scale.

namespace zandro {
namespace {

using test::GuiRig;

// True when a part of w is hidden by the edge of one of its parents up to window. A scroll area
// hides nothing vertically (its content scrolls): above it, only the part it shows counts.
bool hiddenByParent(QWidget* w, QWidget* window) {
    QRect place = w->rect();
    for (QWidget* child = w; child != window && child->parentWidget();
         child = child->parentWidget()) {
        QWidget* parent = child->parentWidget();
        place.translate(child->pos());
        const QRect bound = parent->rect();
        auto* area = qobject_cast<QAbstractScrollArea*>(parent->parentWidget());
        if (area && area->viewport() == parent) {
            if (place.left() < bound.left() || place.right() > bound.right())
                return true;
            place &= bound;
            if (place.isEmpty())
                return false;  // scrolled out of sight
            continue;
        }
        if ((place & bound) != place)
            return true;
    }
    return false;
}

// The room a button's caption needs. A radio button or check box: its indicator and text, as its
// size hint says. A push or tool button: the text (and icon) inside its frame; its size hint
// adds a comfortable margin on top, which a fixed place may take away without cutting anything.
QSize captionNeed(QAbstractButton* button) {
    if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button))
        return button->sizeHint();
    QSize need = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull())
        need.rwidth() += button->iconSize().width() + 4;
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    return need + QSize(2 * frame, 2 * frame);
}

QString groupTitleProblem(QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const int need = box->fontMetrics().horizontalAdvance(box->title().trimmed());
    return label.width() < need || !box->rect().contains(label) ? box->title() : QString();
}

// The texts of a window that their places cut: a label, button, group box title or tab caption
// narrower or lower than its text needs, or reaching past the edge of a parent.
QStringList cutTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        auto* box = qobject_cast<QGroupBox*>(w);
        auto* bar = qobject_cast<QTabBar*>(w);
        QString text;
        if (label && label->pixmap().isNull()) {
            const QSize need = label->sizeHint();
            const bool tooSmall =
                label->wordWrap()
                    ? label->height() < label->heightForWidth(label->width())
                    : label->width() < need.width() || label->height() < need.height();
            if (tooSmall || hiddenByParent(w, window))
                text = label->text();
        } else if (button && !button->text().isEmpty()) {
            const QSize need = captionNeed(button);
            if (w->width() < need.width() || w->height() < need.height() ||
                hiddenByParent(w, window))
                text = button->text();
        } else if (box && !box->title().isEmpty()) {
            text = groupTitleProblem(box);
            if (text.isEmpty() && hiddenByParent(w, window))
                text = box->title();
        } else if (bar) {
            auto* wrapping = qobject_cast<WrappingTabBar*>(bar);
            for (int i = 0; i < bar->count(); ++i) {
                const QRect tab =
                    wrapping && wrapping->wraps() ? wrapping->wrappedTabRect(i) : bar->tabRect(i);
                const int need = bar->fontMetrics().horizontalAdvance(bar->tabText(i));
                if (tab.width() < need || tab.right() > bar->width() - 1)
                    cut.append(QStringLiteral("tab ") + bar->tabText(i));
            }
        }
        if (!text.isEmpty())
            cut.append(w->objectName() + QLatin1Char(' ') + text);
    }
    return cut;
}

// The scale factor the test runs under, and a check that Qt applied it to window.
void expectScale(QWidget* window) {
    const double factor =
        qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0;
    EXPECT_DOUBLE_EQ(window->devicePixelRatioF(), factor);
}

QWidget* shownWindow(const char* name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->objectName() == QLatin1String(name))
            return top;
    }
    return nullptr;
}

// Every tab of every page control in window brought to the front in turn, with what each then
// cuts, as "tab: control text".
QStringList cutTextsOfEveryTab(QWidget* window, GuiRig& rig, const std::function<void()>& watch) {
    QStringList cut;
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        if (!tabs->isVisibleTo(window))
            continue;
        for (int i = 0; i < tabs->count(); ++i) {
            const QString sheet = tabs->widget(i)->objectName();
            rig.act(QStringLiteral("tab:") + sheet);
            if (watch)
                watch();  // what the 1.5 s watches write, without waiting for them
            QApplication::processEvents();
            for (const QString& text : cutTexts(window))
                cut.append(sheet + QStringLiteral(": ") + text);
        }
    }
    return cut;
}

// The check itself: what it must find, and a text that a scroll area only scrolls away.
TEST(WholeTextsTest, TheCheckFindsTextsCutByTheirPlaceOrAParent) {
    test::ensureApplication();
    QWidget window;
    window.setFixedSize(200, 100);
    auto* narrow = new QLabel(QStringLiteral("a text wider than its place"), &window);
    narrow->setObjectName(QStringLiteral("narrow"));
    narrow->setGeometry(0, 0, 40, 20);
    auto* past = new QLabel(QStringLiteral("past the edge"), &window);
    past->setObjectName(QStringLiteral("past"));
    past->move(180, 30);
    past->adjustSize();
    auto* box = new QGroupBox(QStringLiteral(" A group title longer than the box "), &window);
    box->setObjectName(QStringLiteral("box"));
    box->setGeometry(0, 60, 60, 40);
    auto* scroll = new QScrollArea(&window);
    scroll->setGeometry(100, 0, 100, 30);
    auto* content = new QWidget;
    content->setFixedSize(80, 200);
    auto* below = new QRadioButton(QStringLiteral("below"), content);
    below->setObjectName(QStringLiteral("below"));
    below->move(0, 150);
    below->adjustSize();
    scroll->setWidget(content);
    window.show();
    EXPECT_EQ(cutTexts(&window).join(QLatin1Char('|')).toStdString(),
              "narrow a text wider than its place|past past the edge|"
              "box  A group title longer than the box ");
}

// The fixed places are made for this font; another one (DejaVu Sans without fonts-dejavu-extra,
// for one) is wider and cuts texts in every window.
TEST(WholeTextsTest, TheTextsAreSetInTheFontThePlacesAreMadeFor) {
    test::ensureApplication();
    QFont bold = QApplication::font();
    bold.setBold(true);
    for (const QFont& font : {QApplication::font(), bold})
        EXPECT_EQ(QFontInfo(font).family().toStdString(), "DejaVu Sans Condensed")
            << "install fonts-dejavu-extra";
}

TEST(WholeTextsTest, TheAboutWindowShowsEveryTextWhole) {
    test::ensureApplication();
    TfrmAbout about;
    about.show();
    EXPECT_EQ(about.size(), QSize(286, 205));
    expectScale(&about);
    EXPECT_EQ(cutTexts(&about).join(QLatin1Char('|')).toStdString(), "");
    // Sizes in pixels keep that on a screen of any DPI and under any scale factor.
    for (QLabel* label : about.findChildren<QLabel*>())
        EXPECT_GT(label->font().pixelSize(), 0) << label->objectName().toStdString();
}

// Each family page on a profile of its family, so that its panels show what its registers hold.
TEST(WholeTextsTest, EveryTabOfEveryFamilyPageShowsEveryTextWhole) {
    for (const char* profile :
         {"athlon64", "pentium-m", "pentium4", "athlon-mobile", "pentium3", "k5", "k6"}) {
        SCOPED_TRACE(profile);
        GuiRig rig(profile);
        ASSERT_TRUE(rig.start());
        FamilyPage* page = rig.window->visiblePage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(rig.window->size(), QSize(457, 409));
        expectScale(rig.window.get());
        TfrmMSR* window = rig.window.get();
        const QStringList cut = cutTextsOfEveryTab(window, rig, [window] {
            window->Frequency_timerTimer();
            window->Overheating_timerTimer();
        });
        EXPECT_EQ(cut.join(QLatin1Char('|')).toStdString(), "") << page->objectName().toStdString();
    }
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
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    rig.act(QStringLiteral("click:sbtnConfiguration"));
    QWidget* settings = shownWindow("TfrmSettings");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->size(), QSize(287, 277));
    expectScale(settings);
    EXPECT_EQ(cutTextsOfEveryTab(settings, rig, {}).join(QLatin1Char('|')).toStdString(), "");
    for (const char* name : {"TabSheet1", "TabSheet2"}) {
        auto* sheet = settings->findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(overlapping(sheet).join(QLatin1Char('|')).toStdString(), "") << name;
    }
}

TEST(WholeTextsTest, TheGlobalMsrWindowShowsEveryTextWhole) {
    GuiRig rig("pentium4");
    ASSERT_TRUE(rig.start());
    TfrmGlobalMSR* global = rig.window->SpeedButton1Click();
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(global->size(), QSize(310, 335));
    expectScale(global);
    EXPECT_EQ(cutTextsOfEveryTab(global, rig, {}).join(QLatin1Char('|')).toStdString(), "");
}

TEST(WholeTextsTest, EveryWindowHasTheProgramsIcon) {
    test::ensureApplication();
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    TfrmAbout about;
    EXPECT_FALSE(about.windowIcon().isNull());
}

}  // namespace
}  // namespace zandro
