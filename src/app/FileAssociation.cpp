#include "FileAssociation.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <array>
#include <vector>

#include "FamilyIcons.h"
#include "IniFile.h"
#include "families/FamilyRegistry.h"
#include "families/Messages.h"

namespace zandro {

namespace {

const QString kMimeType = QStringLiteral("application/x-zandro-msr");
const QString kDesktopName = QStringLiteral("zandro-msrfile.desktop");
const QString kDefaultsSection = QStringLiteral("Default Applications");

bool writeText(const QString& path, const QByteArray& text, QString* error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

// The database tools are optional: without them the files still describe the association.
void updateDatabases(const AssociationFiles& files) {
    const QString mimeTool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    const QString mimeFolder = files.dataHome + QStringLiteral("/mime");
    if (!mimeTool.isEmpty() && QFileInfo::exists(mimeFolder + QStringLiteral("/packages")))
        QProcess::execute(mimeTool, {mimeFolder});
    const QString desktopTool =
        QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!desktopTool.isEmpty() &&
        QFileInfo::exists(files.dataHome + QStringLiteral("/applications")))
        QProcess::execute(desktopTool, {files.dataHome + QStringLiteral("/applications")});
}

// The same package as the installed one, so that both describe the type alike.
QByteArray mimePackageText() {
    QFile packaged(QStringLiteral(":/zandro-mime.xml"));
    packaged.open(QIODevice::ReadOnly);
    return packaged.readAll();
}

QByteArray desktopEntryText(const QString& executablePath) {
    // The msr device needs root: a double-click goes through pkexec, as the menu entry does.
    const QString exe = QFileInfo(executablePath).absoluteFilePath();
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=ZANDRO\n"
               "Comment=Apply an MSR configuration file\n"
               "Exec=pkexec %1 %f 32\n"
               "Icon=zandro\n"
               "MimeType=%2;\n"
               "NoDisplay=true\n")
        .arg(exe, kMimeType)
        .toUtf8();
}

}  // namespace

QString AssociationFiles::mimePackage() const {
    return dataHome + QStringLiteral("/mime/packages/zandro-msr.xml");
}
QString AssociationFiles::desktopEntry() const {
    return dataHome + QStringLiteral("/applications/") + kDesktopName;
}
QString AssociationFiles::icon() const {
    return dataHome + QStringLiteral("/icons/hicolor/96x96/apps/zandro.png");
}
QString AssociationFiles::mimeApps() const {
    return dataHome + QStringLiteral("/applications/mimeapps.list");
}

AssociationFiles associationFiles() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty())
        return {xdg};
    if (geteuid() == 0)
        return {QStringLiteral("/usr/local/share")};
    return {QDir::homePath() + QStringLiteral("/.local/share")};
}

namespace {

// The sections of mimeapps.list whose values are lists of desktop files that open a type.
const std::array<QString, 2> kListSections = {kDefaultsSection,
                                              QStringLiteral("Added Associations")};

// What the association's files held before a write, so that a failed write can put them back.
class Snapshot {
public:
    explicit Snapshot(const QStringList& paths) {
        for (const QString& path : paths) {
            QFile file(path);
            Entry entry{path, file.open(QIODevice::ReadOnly), {}};
            if (entry.existed)
                entry.content = file.readAll();
            m_entries.push_back(entry);
        }
    }
    void restore() const {
        for (const Entry& entry : m_entries) {
            if (entry.existed)
                writeText(entry.path, entry.content, nullptr);
            else
                QFile::remove(entry.path);
        }
    }

private:
    struct Entry {
        QString path;
        bool existed;
        QByteArray content;
    };
    std::vector<Entry> m_entries;
};

// False when nothing but section headers and blank lines is left: the file was only ours.
bool hasContent(const IniFile& ini) {
    for (const QString& line : ini.lines()) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char('[')))
            return true;
    }
    return false;
}

}  // namespace

bool writeAssociation(const AssociationFiles& files, const QString& executablePath,
                      QString* error) {
    // A failed write must not take away an association that an earlier one made.
    const Snapshot before(
        {files.mimePackage(), files.desktopEntry(), files.icon(), files.mimeApps()});
    bool ok = writeText(files.mimePackage(), mimePackageText(), error) &&
              writeText(files.desktopEntry(), desktopEntryText(executablePath), error);
    if (ok) {
        QDir().mkpath(QFileInfo(files.icon()).absolutePath());
        ok = familyIcon(FamilyRegistry::builtIn().first().icon).save(files.icon(), "PNG");
        if (!ok && error)
            *error = files.icon() + QStringLiteral(": cannot be written");
    }
    if (ok) {
        IniFile defaults(files.mimeApps());
        defaults.load();
        defaults.setValue(kDefaultsSection, kMimeType, kDesktopName);
        ok = defaults.save();
        if (!ok && error)
            *error = files.mimeApps() + QStringLiteral(": cannot be written");
    }
    if (!ok) {
        before.restore();
        return false;
    }
    updateDatabases(files);
    return true;
}

namespace {

bool holdsFiles(const QString& folder, const QStringList& patterns) {
    return !QDir(folder).entryList(patterns, QDir::Files | QDir::NoDotAndDotDot).isEmpty();
}

// Removes the empty folders from path up to, not including, dataHome.
void removeEmptyFolders(const QString& dataHome, QString path) {
    const QString top = QDir::cleanPath(dataHome);
    while (QDir::cleanPath(path).startsWith(top + QLatin1Char('/')) && QDir().rmdir(path))
        path = QFileInfo(path).absolutePath();
}

// The databases were built from the packages and desktop entries: with ours gone and none other
// left, they describe nothing, so they go too; otherwise they are built again without ours.
void dropOrUpdateDatabases(const AssociationFiles& files) {
    updateDatabases(files);
    const QString mimeFolder = files.dataHome + QStringLiteral("/mime");
    if (QFileInfo::exists(mimeFolder) && !holdsFiles(mimeFolder + QStringLiteral("/packages"),
                                                     {QStringLiteral("*.xml")}))
        QDir(mimeFolder).removeRecursively();
    const QString applications = QFileInfo(files.desktopEntry()).absolutePath();
    if (!holdsFiles(applications, {QStringLiteral("*.desktop")}))
        QFile::remove(applications + QStringLiteral("/mimeinfo.cache"));
    for (const QString& path : {applications, QFileInfo(files.icon()).absolutePath()})
        removeEmptyFolders(files.dataHome, path);
}

}  // namespace

void removeAssociation(const AssociationFiles& files) {
    QFile::remove(files.mimePackage());
    QFile::remove(files.desktopEntry());
    QFile::remove(files.icon());
    if (QFileInfo::exists(files.mimeApps())) {
        IniFile lists(files.mimeApps());
        lists.load();
        // Desktop tools rewrite the lists ("a.desktop;b.desktop;"): only our own entry goes.
        bool changed = false;
        for (const QString& section : kListSections)
            changed = lists.removeListEntry(section, kMimeType, kDesktopName) || changed;
        if (changed) {
            if (hasContent(lists))
                lists.save();
            else
                QFile::remove(files.mimeApps());
        }
    }
    dropOrUpdateDatabases(files);
}

void installFileAssociation(QWidget* parent, const QString& executablePath) {
    QString error;
    if (writeAssociation(associationFiles(), executablePath, &error)) {
        Messages::show(parent, MsgKind::Information,
                       QStringLiteral("System registry association of .MSR files was succesful."));
    } else {
        Messages::show(
            parent, MsgKind::Error,
            QStringLiteral("The association of .MSR files could not be written: ") + error);
    }
}

void removeFileAssociation(QWidget* parent) {
    removeAssociation(associationFiles());
    Messages::show(parent, MsgKind::Information,
                   QStringLiteral("System registry de-association of .MSR files was succesful."));
}

}  // namespace zandro
