#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How a server profile keeps its password in Remote.ini: scrambled byte by byte, then
// written as Base64 text, so that the file holds no readable password. This is no
// encryption; it only keeps a password from being read over someone's shoulder. Files
// written by the Windows version hold passwords scrambled the same way.

// Both map n bytes to n bytes, and StrDecrypt(StrEncrypt(x)) == x for every x. A 16-bit
// key starts at 9271; each output byte is the input byte XOR the key's high byte, and the
// key then takes in the scrambled byte of that position (for StrEncrypt the byte it just
// produced, for StrDecrypt the byte it just read).
QByteArray StrEncrypt(QByteArrayView plain);
QByteArray StrDecrypt(QByteArrayView scrambled);

// Base64 with the standard alphabet and "=" padding, without line breaks (RFC 4648,
// section 4); empty bytes give an empty text.
QString Base64Encode(QByteArrayView bytes);

// Reads groups of four characters from the start, a new group while its first character
// lies inside the text. A group gives three bytes, two when its fourth character is "=",
// one when its third and fourth are "=". Nothing is checked: a character outside the
// alphabet, an "=" elsewhere and a position past the end of the text count as 0, so any
// text decodes to something (a short last group too, unlike RFC 4648 decoders).
QByteArray Base64Decode(QStringView text);
