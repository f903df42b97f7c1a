#include "Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <optional>
#include <set>

#include "app/Automation.h"
#include "app/TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "families/FamilyPage.h"
#include "families/Messages.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"

namespace zandro {
namespace {

class Shooter {
public:
    Shooter(const QString& folder, QStringList* notes) : m_folder(folder), m_notes(notes) {}

    void shoot(QWidget* widget, const QString& name) {
        QApplication::processEvents();
        const QString file = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (widget->grab().save(file, "PNG"))
            shots.push_back({file, widget->size()});
        else
            note(QStringLiteral("%1: cannot be written").arg(file));
    }

    // Every tab of every page control in window, each brought to the front in turn.
    void shootTabs(QWidget* window, const QString& prefix) {
        for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
            const int first = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                shoot(window, prefix + QLatin1Char('-') + tabs->widget(i)->objectName());
            }
            tabs->setCurrentIndex(first);
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
        const QString cls = QString::fromLatin1(w->metaObject()->className());
        if (w->isVisible() &&
            (w->objectName() == name || cls.endsWith(QStringLiteral("::") + name)))
            return w;
    }
    return nullptr;
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
};

}  // namespace

std::vector<Screenshot> takeScreenshots(const QString& folder, QStringList* notes) {
    QDir().mkpath(folder);
    Messages::setHeadless(true);
    Shooter shooter(folder, notes);
    std::set<QString> pagesDone;
    bool windowsDone = false;
    for (const SimProfileInfo& profile : simProfiles()) {
        std::optional<SimMachine> machine = makeSimMachine(profile.name);
        if (!machine)
            continue;
        Session session(std::move(*machine));
        TfrmMSR& window = *session.window;
        if (!window.FormCreate())
            continue;
        window.show();
        QApplication::processEvents();
        for (FamilyPage* page : window.findChildren<FamilyPage*>()) {
            if (!page->isShown() || pagesDone.count(page->objectName()))
                continue;
            pagesDone.insert(page->objectName());
            shooter.shoot(&window, QStringLiteral("main-") + page->objectName());
            const int first = page->currentIndex();
            for (int i = 0; i < page->count(); ++i) {
                page->setCurrentIndex(i);
                shooter.shoot(
                    page, page->objectName() + QLatin1Char('-') + page->widget(i)->objectName());
            }
            page->setCurrentIndex(first);
        }
        if (!windowsDone) {
            windowsDone = true;
            Automation automation(window);
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
                shooter.shoot(shown, name);
                shooter.shootTabs(shown, name);
                shown->close();
                QApplication::processEvents();
            }
        }
        window.close();
        QApplication::processEvents();
    }
    return shooter.shots;
}

}  // namespace zandro
