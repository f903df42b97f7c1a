#include "GuiFixture.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QTimerEvent>

#include "app/Appearance.h"
#include "app/ConfigurationRun.h"

namespace zandro::test {

void ensureApplication() {
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zandro-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down during static destruction crashes at exit.
    auto* app = new QApplication(argc, argv);
    applyAppearance(*app);
}

bool fireTimer(QTimer* timer) {
    if (!timer || !timer->isActive())
        return false;
    QTimerEvent due(timer->timerId());
    QCoreApplication::sendEvent(timer, &due);
    return true;
}

MessageRecorder::MessageRecorder() {
    Messages::setNonBlockingDialogs(true);
    Messages::setHandler([this](MsgKind kind, const QString& text, MsgButtons buttons) {
        shown.push_back({kind, text});
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            return MsgAnswer::No;
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageRecorder::~MessageRecorder() {
    Messages::setHandler({});
}

QStringList MessageRecorder::texts() const {
    QStringList list;
    for (const Shown& s : shown)
        list.append(s.text);
    return list;
}

GuiRig::GuiRig(const std::string& profile, const QString& configIni, QStringList arguments,
               FamilyRegistry families)
    : sim(profile) {
    ensureApplication();
    if (!configIni.isNull())
        writeFile(dir.file("config.ini"), configIni.toStdString());
    m_tracePath = QString::fromStdString(dir.file("trace.log"));
    sim.platform.openTrace(m_tracePath.toStdString());
    window = std::make_unique<TfrmMSR>(
        sim.platform, sim.msr,
        TfrmMSR::Startup{std::move(arguments), QString::fromStdString(dir.file("zandro")),
                         QString(), QString::fromStdString(dir.file("journal")),
                         std::move(families)});
    automation = std::make_unique<Automation>(*window);
}

GuiRig::~GuiRig() {
    automation.reset();
    window.reset();
}

bool GuiRig::start() {
    const bool started = window->FormCreate();
    if (started)
        window->show();
    takeTrace();
    return started;
}

void GuiRig::act(const QString& action) {
    QString why;
    ASSERT_TRUE(automation->run(action, &why)) << action.toStdString() << ": " << why.toStdString();
}

bool GuiRig::tryAct(const QString& action, QString* why) {
    QString reason;
    const bool ok = automation->run(action, &reason);
    if (why)
        *why = reason;
    return ok;
}

QString GuiRig::report() const {
    return automation->report();
}

QString GuiRig::configPath() const {
    return QString::fromStdString(dir.file("config.ini"));
}

QString GuiRig::configText() const {
    return QString::fromStdString(readFile(dir.file("config.ini")));
}

QStringList GuiRig::takeTrace() {
    QFile file(m_tracePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(m_traceOffset);
    const QByteArray data = file.readAll();
    m_traceOffset += data.size();
    QStringList lines = QString::fromLatin1(data).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines;
}

ScopedEnv::ScopedEnv(const char* name, const QString& value)
    : m_name(name), m_saved(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
    if (value.isNull())
        qunsetenv(m_name);
    else
        qputenv(m_name, value.toLocal8Bit());
}

ScopedEnv::~ScopedEnv() {
    if (m_had)
        qputenv(m_name, m_saved);
    else
        qunsetenv(m_name);
}

SaveAnswer::SaveAnswer(const std::string& path) {
    answerSaveDialog(QString::fromStdString(path));
}

SaveAnswer::~SaveAnswer() {
    restoreSaveDialog();
}

void saveConfigurationAs(GuiRig& rig, const std::string& path) {
    SaveAnswer answer(path);
    rig.window->SaveConfiguration();
}

}  // namespace zandro::test
