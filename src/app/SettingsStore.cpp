#include "SettingsStore.h"

namespace zandro {

SettingsStore::SettingsStore(const QString& path) : m_ini(path) {
    m_ini.load();
}

std::optional<long long> SettingsStore::parseInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    long long value = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = t.mid(2).toLongLong(&ok, 16);
    else
        value = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString SettingsStore::readString(const QString& section, const QString& key) const {
    return m_ini.value(section, key).value_or(QString());
}

bool SettingsStore::readBool(const QString& section, const QString& key, bool dflt) const {
    const auto number = parseInteger(readString(section, key));
    return number ? *number != 0 : dflt;
}

void SettingsStore::writeString(const QString& section, const QString& key, const QString& value) {
    // Another instance, or the user with an editor, may have changed the file since it was read:
    // only this key is ours to change, so it goes onto the file as it is now.
    m_ini.load();
    m_ini.setValue(section, key, value);
    if (m_ini.save())
        return;
    if (m_writable && onWriteFailed)
        onWriteFailed(m_ini.path() + QStringLiteral(": ") + m_ini.error());
    m_writable = false;
}

void SettingsStore::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace zandro
