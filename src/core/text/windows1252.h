#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The 8-bit code page the Windows version wrote its text files in. Every byte has a
// character (the five bytes Windows-1252 leaves unused stand for the C1 codes of the same
// value), so decoding and encoding back give the same bytes.
namespace Windows1252 {

QString decode(QByteArrayView bytes);

// Nullopt when a character has no byte in the code page.
std::optional<QByteArray> encode(QStringView text);

} // namespace Windows1252
