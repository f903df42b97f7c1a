#include "SettingsLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zandro {

namespace {

QString passwordHome() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry && entry->pw_dir ? QFile::decodeName(entry->pw_dir) : QString();
}

QString (*s_passwordHome)() = passwordHome;

}  // namespace

QString SettingsLocation::homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    const QString fromDatabase = s_passwordHome ? s_passwordHome() : QString();
    // Without either there is no better guess than Qt's.
    return fromDatabase.isEmpty() ? QDir::homePath() : fromDatabase;
}

void SettingsLocation::setPasswordHomeLookup(QString (*lookup)()) {
    s_passwordHome = lookup ? lookup : passwordHome;
}

QString SettingsLocation::installedMarker() {
#ifdef ZANDRO_INSTALLED_MARKER
    return QStringLiteral(ZANDRO_INSTALLED_MARKER);
#else
    return {};
#endif
}

QString SettingsLocation::installBinFolder(const QString& executablePath) {
    const QFileInfo exe(executablePath);
    const QString folder = exe.canonicalPath();
    if (folder.isEmpty() || installedMarker().isEmpty())
        return {};
    return QFileInfo::exists(QDir(folder).filePath(installedMarker())) ? folder : QString();
}

bool SettingsLocation::isInstalledCopy(const QString& executablePath, const QString& installBin) {
    if (installBin.isEmpty())
        return false;
    const QString running = QFileInfo(executablePath).canonicalFilePath();
    // The installed path need not exist (tests, a staged DESTDIR); then the running copy is not it.
    const QString installed =
        QFileInfo(QDir(installBin).filePath(QStringLiteral("zandro"))).canonicalFilePath();
    return !running.isEmpty() && running == installed;
}

QString SettingsLocation::settingsFile(const QString& executablePath, const QString& installBin) {
    if (!isInstalledCopy(executablePath, installBin))
        return QFileInfo(executablePath).absolutePath() + QStringLiteral("/config.ini");
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is ignored, as other desktop programs ignore it.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = homeFolder() + QStringLiteral("/.config");
    const QString folder = base + QStringLiteral("/zandro");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/config.ini");
}

}  // namespace zandro
