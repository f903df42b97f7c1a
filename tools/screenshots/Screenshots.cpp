#include "Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>

#include "app/Automation.h"
#include "app/TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "families/FamilyPage.h"
#include "families/Messages.h"
#include "families/StatusPanel.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace zandro {
namespace {

// The profile each family page is shot from: one whose registers read and whose features exist,
// so that no panel shows "---" or "Not Supported" for want of them. A tab that only another
// processor of the family has (the K5 tab of the K5/K6 page) names its own.
struct PageShots {
    const char* page;
    const char* profile;
    const char* otherTab = nullptr;
    const char* otherProfile = nullptr;
};
const PageShots kPages[] = {
    {"pgctrlA64", "athlon64"},
    {"pgctrlPentiumM", "pentium-m"},
    {"pgctrlP4", "pentium4"},
    {"pgctrlK7", "athlon-mobile"},       // the Athlon with FID/VID control
    {"pgctrlIPIII", "pentium3-katmai"},  // the Pentium III whose L2 has banks and associativity
    {"pgctrlK6", "k6", "K5_Features", "k5"},
};
// The windows opened from the top row, on this profile.
constexpr const char* kWindowsProfile = "athlon64";

class Shooter {
public:
    Shooter(const QString& folder, QStringList* notes) : m_folder(folder), m_notes(notes) {}

    void shoot(QWidget* widget, const QString& name) {
        QApplication::processEvents();
        const QString file = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (!widget->grab().save(file, "PNG")) {
            note(QStringLiteral("%1: cannot be written").arg(file));
            return;
        }
        QStringList unread;
        for (StatusPanel* panel : widget->findChildren<StatusPanel*>()) {
            if (panel->isVisibleTo(widget) && panel->isEnabled() &&
                panel->text() == QLatin1String("---"))
                unread.append(panel->objectName());
        }
        shots.push_back({file, widget->size(), unread});
    }

    // Each tab of every page control in window brought to the front in turn.
    void shootTabs(QWidget* window, const QString& prefix) {
        for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                shoot(window, prefix + QLatin1Char('-') + tabs->widget(i)->objectName());
            }
        }
    }

    void note(const QString& text) {
        if (m_notes)
            m_notes->append(text);
    }

    std::vector<Screenshot> shots;

private:
    QString m_folder;
    QStringList* m_notes;
};

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == name)
            return w;
    }
    return nullptr;
}

// Runs the event loop until each running 1.5 s watch of the main window (core clock, overheat)
// has fired once, so that its panels show what it read.
void waitForWatches(TfrmMSR& window) {
    int pending = 0;
    QEventLoop loop;
    for (QTimer* watch : {window.Frequency_timer, window.Overheating_timer}) {
        if (!watch->isActive())
            continue;
        ++pending;
        // Connected after the window's own handler, so this runs once the panels are written.
        QObject::connect(
            watch, &QTimer::timeout, &loop,
            [&pending, &loop] {
                if (--pending == 0)
                    loop.quit();
            },
            Qt::SingleShotConnection);
    }
    if (pending == 0)
        return;
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);  // a watch that never fires
    loop.exec();
}

// The main window on one simulated profile, started with settings in a scratch folder so that
// the first-run warning does not come up.
struct Session {
    QTemporaryDir dir;
    SimMachine machine;
    std::unique_ptr<SimPlatform> platform;
    std::unique_ptr<MsrBuffer> msr;
    std::unique_ptr<TfrmMSR> window;

    explicit Session(SimMachine m) : machine(std::move(m)) {
        QFile ini(dir.filePath(QStringLiteral("config.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[MainWindow]\nPositionLeft=10\nPositionTop=10\n");
        ini.close();
        machine.fillProcessors();
        platform = std::make_unique<SimPlatform>(machine);
        msr = std::make_unique<MsrBuffer>(*platform);
        window = std::make_unique<TfrmMSR>(
            *platform, *msr, TfrmMSR::Startup{{}, dir.filePath(QStringLiteral("zandro"))});
    }
    ~Session() {
        if (window) {
            window->close();
            QApplication::processEvents();
        }
    }
};

// A started and shown main window on profile, or nothing (with a note) when it cannot start.
std::unique_ptr<Session> startSession(const char* profile, Shooter& shooter) {
    std::optional<SimMachine> machine = makeSimMachine(profile);
    if (!machine) {
        shooter.note(QStringLiteral("profile %1 not found: skipped").arg(QLatin1String(profile)));
        return nullptr;
    }
    auto session = std::make_unique<Session>(std::move(*machine));
    if (!session->window->FormCreate()) {
        shooter.note(
            QStringLiteral("profile %1 did not start: skipped").arg(QLatin1String(profile)));
        return nullptr;
    }
    session->window->show();
    QApplication::processEvents();
    return session;
}

// The page's tabs that profile shows, and with mainProfile the main window first, showing the
// first of them.
void shootPage(const PageShots& shots, const char* profile, Shooter& shooter) {
    const std::unique_ptr<Session> session = startSession(profile, shooter);
    if (!session)
        return;
    TfrmMSR& window = *session->window;
    const QString pageName = QString::fromLatin1(shots.page);
    auto* page = window.findChild<FamilyPage*>(pageName);
    if (!page || !page->isShown()) {
        shooter.note(
            QStringLiteral("%1 is not shown on %2: skipped").arg(pageName, QLatin1String(profile)));
        return;
    }
    const bool otherProfile = shots.otherProfile && qstrcmp(profile, shots.otherProfile) == 0;
    bool mainShot = !otherProfile;
    for (int i = 0; i < page->count(); ++i) {
        const QString tab = page->widget(i)->objectName();
        const bool otherTab = shots.otherTab && tab == QLatin1String(shots.otherTab);
        if (otherTab != otherProfile)
            continue;
        page->setCurrentIndex(i);
        waitForWatches(window);
        if (mainShot) {
            shooter.shoot(&window, QStringLiteral("main-") + pageName);
            mainShot = false;
        }
        shooter.shoot(page, pageName + QLatin1Char('-') + tab);
    }
}

void shootWindows(Shooter& shooter) {
    const std::unique_ptr<Session> session = startSession(kWindowsProfile, shooter);
    if (!session)
        return;
    Automation automation(*session->window);
    const struct {
        const char* button;
        const char* window;
    } windows[] = {{"sbtnConfiguration", "TfrmSettings"},
                   {"abtnAbout", "TfrmAbout"},
                   {"SpeedButton1", "TfrmGlobalMSR"}};
    for (const auto& w : windows) {
        const QString name = QString::fromLatin1(w.window);
        QString why;
        automation.run(QStringLiteral("click:") + QString::fromLatin1(w.button), &why);
        QApplication::processEvents();
        QWidget* shown = topLevel(name);
        if (!shown) {
            shooter.note(name + QStringLiteral(" not found: skipped"));
            continue;
        }
        // A window with tabs is shot once per tab: the whole window each time.
        if (shown->findChildren<QTabWidget*>().isEmpty())
            shooter.shoot(shown, name);
        else
            shooter.shootTabs(shown, name);
        shown->close();
        QApplication::processEvents();
    }
}

}  // namespace

std::vector<Screenshot> takeScreenshots(const QString& folder, QStringList* notes) {
    QDir().mkpath(folder);
    Messages::setHeadless(true);
    Shooter shooter(folder, notes);
    for (const PageShots& page : kPages) {
        shootPage(page, page.profile, shooter);
        if (page.otherProfile)
            shootPage(page, page.otherProfile, shooter);
    }
    shootWindows(shooter);
    return shooter.shots;
}

}  // namespace zandro
