#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Plain text files taken into the page text or the bullet items.
namespace TextImport {

// The text of a file's bytes, UTF-8 or else Windows-1252; empty when the bytes are no text:
// a NUL byte, or bytes that neither encoding defines.
std::optional<QString> decode(QByteArrayView bytes);

// Reads and decodes a whole file; empty when it cannot be read or is no text.
std::optional<QString> read(const QString &path);

// The text as a text box holds it: every line, the last one too, followed by "\n", with
// "<BR>" before each line end when breaks is set. Line ends may be CR LF, CR or LF.
QString lines(const QString &text, bool breaks);

} // namespace TextImport
