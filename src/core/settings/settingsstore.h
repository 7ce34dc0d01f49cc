#pragma once

#include <QSettings>
#include <QString>

#include <array>
#include <optional>

// The program's persistent settings: groups "Settings" and "CustomColors" of the user's
// settings file. Every value is kept as text, also numbers and booleans, so that a file
// written by hand or by an older version reads the same way.
class SettingsStore final {
public:
    static constexpr char kSettings[] = "Settings";
    static constexpr char kCustomColors[] = "CustomColors";

    SettingsStore();

    // A stored number: "0x"/"0X" followed by hex digits (only when longer than two
    // characters), "$" followed by hex digits, or decimal with an optional sign. Empty when
    // the text is no number.
    static std::optional<int> parseNumber(const QString &text);

    // Missing values and text that is no number give the default.
    int readInteger(const QString &section, const QString &name, int fallback);
    // Any number but 0 counts as true, as a hand-edited value may hold one.
    bool readBool(const QString &section, const QString &name, bool fallback);
    QString readString(const QString &section, const QString &name, const QString &fallback);

    // Each write reaches the file before it returns. False when it could not be stored;
    // error() then says which value.
    bool writeString(const QString &section, const QString &name, const QString &text);
    bool writeInteger(const QString &section, const QString &name, int value);
    bool writeBool(const QString &section, const QString &name, bool value);

    QString error() const { return m_error; }
    QString fileName() const { return m_settings.fileName(); }

private:
    QSettings m_settings;
    QString m_error;
};

// "Failed to set data for '%s'" with the value's name.
QString failedToSetData(const QString &name);

// The colour dialog's custom colours, slots 0..15 named "ColorA".."ColorP". An entry is
// the whole line the dialog keeps, "ColorA=FFFFFF": blue, green, red in hex digits.
QString customColorName(int slot);
QString customColorEntry(int slot, quint32 bgr);
// Empty when the entry holds no colour.
std::optional<quint32> customColorValue(const QString &entry);

// The sixteen custom colours as blue-green-red values; a missing or unreadable one is white.
using CustomColorValues = std::array<quint32, 16>;
CustomColorValues readCustomColors(SettingsStore &store);
// Stops at the first value that cannot be written: the store's error tells which.
bool writeCustomColors(SettingsStore &store, const CustomColorValues &colors);
