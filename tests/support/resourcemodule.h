#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <utility>

// Builds a small PE32 resource module whose string table holds the given texts, laid out
// as a resource compiler does: one RT_STRING block of 16 counted UTF-16LE strings for each
// 16 numbers, under each language given (in that order).
using LanguageTexts = std::pair<quint16, QMap<int, QString>>;
QByteArray buildResourceModule(const QList<LanguageTexts> &languages);
inline QByteArray buildResourceModule(const QMap<int, QString> &texts)
{
    return buildResourceModule({{0x0407, texts}});
}
