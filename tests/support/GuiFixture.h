#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

#include "SimFixture.h"
#include "app/Automation.h"
#include "app/TfrmMSR.h"
#include "families/Messages.h"

class QTimer;

namespace zandro::test {

// The one QApplication of a GUI test program, on the offscreen platform.
void ensureApplication();

// Records every message box and answers Yes/No questions from a queue (No when it is empty).
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    struct Shown {
        MsgKind kind;
        QString text;
    };
    std::vector<Shown> shown;
    std::deque<MsgAnswer> answers;
    QStringList texts() const;
};

// A main window on a simulated machine, with config.ini in a temporary folder beside a pretended
// executable. start() runs the start-up sequence.
class GuiRig {
public:
    explicit GuiRig(const std::string& profile,
                    const QString& configIni =
                        QStringLiteral("[MainWindow]\nPositionLeft=10\nPositionTop=10\n"),
                    QStringList arguments = {},
                    FamilyRegistry families = FamilyRegistry::builtIn());
    ~GuiRig();

    bool start();
    // Runs a --do action; fails the test when the action is refused.
    void act(const QString& action);
    bool tryAct(const QString& action, QString* why = nullptr);
    QString report() const;
    QString configPath() const;
    QString configText() const;
    // The trace lines the simulated machine wrote since the last call.
    QStringList takeTrace();
    template <typename T>
    T* control(const QString& name) const {
        return qobject_cast<T*>(window->findControl(name));
    }

    TempDir dir;
    SimRig sim;
    MessageRecorder messages;
    std::unique_ptr<TfrmMSR> window;
    std::unique_ptr<Automation> automation;

private:
    QString m_tracePath;
    qint64 m_traceOffset = 0;
};

// Fires a running timer once, now, through its own timeout instead of after its interval; a
// stopped timer does not fire. Returns whether it fired.
bool fireTimer(QTimer* timer);

// Sets an environment variable for one scope (a null value unsets it).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    QByteArray m_saved;
    bool m_had;
};

// Answers the file-save dialog for the length of a scope.
struct SaveAnswer {
    explicit SaveAnswer(const std::string& path);
    ~SaveAnswer();
};

// "Save Current Configuration" answered with `path`.
void saveConfigurationAs(GuiRig& rig, const std::string& path);

}  // namespace zandro::test
