#pragma once

#include <QString>

namespace zandro {

// Where config.ini lives. A build tree or a portable copy keeps it beside the executable; the
// installed executable must never write into the system's bin folder, so it keeps its settings
// in the user's configuration folder instead.
struct SettingsLocation {
    // The file that the install rules put into the share folder, relative to the bin folder.
    static QString installedMarker();

    // The folder of executablePath when the install rules put it there (the marker is found
    // relative to it, whatever prefix it was installed with), else empty.
    static QString installBinFolder(const QString& executablePath);

    // True when executablePath is, after resolving links, the installed executable in
    // installBin.
    static bool isInstalledCopy(const QString& executablePath, const QString& installBin);

    // The user's home folder: $HOME when set and not empty, else the effective user's home from
    // the password database. Root started by pkexec (HOME=/root), by a system unit or by the
    // sleep hook (no HOME at all) so finds one and the same folder.
    static QString homeFolder();
    // The password database's answer for the effective user; tests put another in its place.
    static void setPasswordHomeLookup(QString (*lookup)());

    // The settings file for the program at executablePath: $XDG_CONFIG_HOME/zandro/config.ini
    // (else <home>/.config/zandro/config.ini) for the installed copy, whose folder is created
    // here; config.ini beside the executable for every other copy.
    static QString settingsFile(const QString& executablePath, const QString& installBin);
    static QString settingsFile(const QString& executablePath) {
        return settingsFile(executablePath, installBinFolder(executablePath));
    }
};

}  // namespace zandro
