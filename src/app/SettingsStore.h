#pragma once

#include <QString>
#include <functional>

#include "IniFile.h"

namespace zandro {

// config.ini beside the executable. Every write reaches the file at once and changes only its own
// key of the file's current content; a file that cannot be written is not an error the program
// stops for.
class SettingsStore {
public:
    explicit SettingsStore(const QString& path);

    bool fileExists() const { return m_ini.exists(); }
    const QString& path() const { return m_ini.path(); }

    QString readString(const QString& section, const QString& key) const;
    // An integer, "0x" for hexadecimal: non-zero is true; missing or not a number gives dflt.
    bool readBool(const QString& section, const QString& key, bool dflt) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeBool(const QString& section, const QString& key, bool value);

    // True while every write so far reached the file.
    bool writable() const { return m_writable; }
    // Told once, at the first write that does not reach the file, with the path and the reason.
    std::function<void(const QString&)> onWriteFailed;

    static std::optional<long long> parseInteger(const QString& text);

private:
    IniFile m_ini;
    bool m_writable = true;
};

}  // namespace zandro
