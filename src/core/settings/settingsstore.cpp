#include "settingsstore.h"

namespace {

QString key(const QString &section, const QString &name)
{
    return section + QLatin1Char('/') + name;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<int> parseHex(QStringView digits)
{
    // At most eight digits: a 32-bit value, read as a signed number like any other.
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    uint value = 0;
    for (QChar c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint>(digit);
    }
    return static_cast<int>(value);
}

std::optional<int> parseDecimal(QStringView text)
{
    QStringView digits = text;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+')))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}
} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Marbleton Software"), QStringLiteral("HTML Editor Zephyro"))
{}

std::optional<int> SettingsStore::parseNumber(const QString &text)
{
    const QStringView view(text);
    if (view.size() > 2
        && (view.startsWith(QLatin1String("0x")) || view.startsWith(QLatin1String("0X"))))
        return parseHex(view.mid(2));
    if (view.startsWith(QLatin1Char('$')))
        return parseHex(view.mid(1));
    return parseDecimal(view);
}

int SettingsStore::readInteger(const QString &section, const QString &name, int fallback)
{
    const QVariant stored = m_settings.value(key(section, name));
    if (!stored.isValid())
        return fallback;
    return parseNumber(stored.toString()).value_or(fallback);
}

bool SettingsStore::readBool(const QString &section, const QString &name, bool fallback)
{
    return readInteger(section, name, fallback ? 1 : 0) != 0;
}

QString SettingsStore::readString(
    const QString &section, const QString &name, const QString &fallback)
{
    const QVariant stored = m_settings.value(key(section, name));
    return stored.isValid() ? stored.toString() : fallback;
}

bool SettingsStore::writeString(const QString &section, const QString &name, const QString &text)
{
    m_settings.setValue(key(section, name), text);
    m_settings.sync();
    if (m_settings.status() == QSettings::NoError)
        return true;
    m_error = failedToSetData(name);
    return false;
}

bool SettingsStore::writeInteger(const QString &section, const QString &name, int value)
{
    return writeString(section, name, QString::number(value));
}

bool SettingsStore::writeBool(const QString &section, const QString &name, bool value)
{
    return writeInteger(section, name, value ? 1 : 0);
}

QString failedToSetData(const QString &name)
{
    return QStringLiteral("Failed to set data for '%1'").arg(name);
}

QString customColorName(int slot)
{
    return QStringLiteral("Color") + QChar(u'A' + slot);
}

QString customColorEntry(int slot, quint32 bgr)
{
    return customColorName(slot) + QLatin1Char('=')
        + QStringLiteral("%1").arg(bgr & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> customColorValue(const QString &entry)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    const std::optional<int> value = parseHex(QStringView(entry).mid(equals + 1));
    if (!value || static_cast<quint32>(*value) > 0xFFFFFFu)
        return std::nullopt;
    return static_cast<quint32>(*value);
}

CustomColorValues readCustomColors(SettingsStore &store)
{
    const QString section = QString::fromLatin1(SettingsStore::kCustomColors);
    CustomColorValues colors {};
    for (int slot = 0; slot < 16; ++slot) {
        const QString entry
            = store.readString(section, customColorName(slot), customColorEntry(slot, 0xFFFFFF));
        colors[static_cast<size_t>(slot)] = customColorValue(entry).value_or(0xFFFFFF);
    }
    return colors;
}

bool writeCustomColors(SettingsStore &store, const CustomColorValues &colors)
{
    const QString section = QString::fromLatin1(SettingsStore::kCustomColors);
    for (int slot = 0; slot < 16; ++slot) {
        if (!store.writeString(section, customColorName(slot),
                customColorEntry(slot, colors[static_cast<size_t>(slot)])))
            return false;
    }
    return true;
}
