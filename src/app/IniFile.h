#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace zandro {

// A plain INI file kept line by line: lines it does not understand are kept as they are, a value
// is changed in its own line, and every save that changes the file replaces it (a link's target)
// atomically.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }
    bool exists() const;
    // Reads the file again; a missing or unreadable file reads as empty.
    void load();
    // Writes the lines; false (and the old file untouched) when the file or its folder refuses,
    // or when the path names something other than a regular file.
    bool save();
    // Why the last save failed.
    const QString& error() const { return m_error; }

    // Section and key names compare without regard to case.
    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeSection(const QString& section);
    // Takes `entry` out of the ';'-separated list of a key, keeping the other entries and the
    // list's form; the key goes when nothing is left. False when the entry was not there.
    bool removeListEntry(const QString& section, const QString& key, const QString& entry);

    const QStringList& lines() const { return m_lines; }

private:
    int findSection(const QString& section) const;
    int findKey(int sectionLine, const QString& key) const;

    QString m_path;
    QStringList m_lines;
    // The bytes the last load read, until the next save.
    std::optional<std::string> m_loaded;
    QString m_error;
};

}  // namespace zandro
