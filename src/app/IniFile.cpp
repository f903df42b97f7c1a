#include "IniFile.h"

#include <QFile>
#include <QFileInfo>

#include "platform/RegularFile.h"

namespace zandro {

namespace {

// A settings file is a few hundred bytes; one this large is not ours to load.
constexpr size_t kLargestIni = size_t(1) << 20;

bool isSectionLine(const QString& line, QString* name = nullptr) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyOf(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return false;
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

}  // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::exists() const {
    return QFileInfo::exists(m_path);
}

void IniFile::load() {
    m_lines.clear();
    m_loaded.reset();
    // Something that is not a regular file is not opened; the next save refuses it.
    FileContents file = readRegularFile(QFile::encodeName(m_path).toStdString(), kLargestIni);
    if (!file.result.ok())
        return;
    m_loaded = std::move(file.bytes);
    const std::string& bytes = *m_loaded;
    const QString text = QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
    m_lines = text.split(QLatin1Char('\n'));
    for (QString& line : m_lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

bool IniFile::save() {
    QByteArray text;
    for (const QString& line : m_lines) {
        text += line.toLocal8Bit();
        text += '\n';
    }
    const std::string bytes = text.toStdString();
    // A key written back with the value it had leaves the file as it was read: replacing it with
    // the same bytes would only cost a flush to the disk, and closing writes several such keys.
    const bool unchanged = m_loaded && *m_loaded == bytes;
    m_loaded.reset();
    if (unchanged) {
        m_error.clear();
        return true;
    }
    const FileResult saved = replaceRegularFile(QFile::encodeName(m_path).toStdString(), bytes);
    m_error = saved.ok() ? QString() : QString::fromLocal8Bit(saved.why.c_str());
    return saved.ok();
}

int IniFile::findSection(const QString& section) const {
    QString name;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (isSectionLine(m_lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const {
    QString name;
    for (int i = sectionLine + 1; i < m_lines.size() && !isSectionLine(m_lines[i]); ++i) {
        if (keyOf(m_lines[i], &name, nullptr) && name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const int s = findSection(section);
    if (s < 0)
        return std::nullopt;
    const int k = findKey(s, key);
    if (k < 0)
        return std::nullopt;
    QString name, value;
    keyOf(m_lines[k], &name, &value);
    return value;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString line = key + QLatin1Char('=') + value;
    int s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        m_lines[k] = line;
        return;
    }
    // New keys go after the section's last non-blank line.
    int insertAt = s + 1;
    for (int i = s + 1; i < m_lines.size() && !isSectionLine(m_lines[i]); ++i) {
        if (!m_lines[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, line);
}

void IniFile::removeSection(const QString& section) {
    const int s = findSection(section);
    if (s < 0)
        return;
    int end = s + 1;
    while (end < m_lines.size() && !isSectionLine(m_lines[end]))
        ++end;
    m_lines.erase(m_lines.begin() + s, m_lines.begin() + end);
}

bool IniFile::removeListEntry(const QString& section, const QString& key, const QString& entry) {
    const int s = findSection(section);
    if (s < 0)
        return false;
    const int k = findKey(s, key);
    if (k < 0)
        return false;
    QString name, value;
    keyOf(m_lines[k], &name, &value);
    QStringList kept;
    bool found = false;
    for (const QString& item : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (item.trimmed() == entry)
            found = true;
        else
            kept.append(item.trimmed());
    }
    if (!found)
        return false;
    if (kept.isEmpty()) {
        m_lines.removeAt(k);
        return true;
    }
    const bool trailing = value.endsWith(QLatin1Char(';'));
    m_lines[k] = name + QLatin1Char('=') + kept.join(QLatin1Char(';')) +
                 (trailing ? QStringLiteral(";") : QString());
    return true;
}

}  // namespace zandro
