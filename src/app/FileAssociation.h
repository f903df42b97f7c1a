#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zandro {

// The .msr file type, associated the freedesktop way: a shared-mime-info package, a desktop entry
// that opens such files with this program on all processors, and the default-application entry.
struct AssociationFiles {
    QString dataHome;  // $XDG_DATA_HOME, /usr/local/share for root, ~/.local/share otherwise
    QString mimePackage() const;
    QString desktopEntry() const;
    QString icon() const;
    QString mimeApps() const;
};

AssociationFiles associationFiles();

// Writes the association; a failure to write is reported and nothing half-written stays.
bool writeAssociation(const AssociationFiles& files, const QString& executablePath, QString* error);
// Removes exactly what writeAssociation wrote.
void removeAssociation(const AssociationFiles& files);

// INSTALLREG and UNINSTALLREG with their messages.
void installFileAssociation(QWidget* parent, const QString& executablePath);
void removeFileAssociation(QWidget* parent);

}  // namespace zandro
