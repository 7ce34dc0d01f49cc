#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// One line of a reply on an FTP control connection, as the reader hands it on.
struct FtpReplyLine {
    QByteArray text; // without its CR LF
    // The number the line begins with (0 when it has none); for a line inside a multi-line
    // reply, the code of that reply.
    int code = 0;
    // True for every line of a multi-line reply but its last one (RFC 959, section 4.2).
    bool intermediate = false;
};

// Splits the bytes of an FTP control connection into reply lines and reads their reply codes.
// It knows nothing of commands or sockets: the bytes are handed to it, and what a reply means
// is for the caller to decide. Its memory is bounded by BufferSize whatever the server sends.
class FtpReplyReader final {
public:
    // The receive buffer of the control connection.
    static constexpr int BufferSize = 4096;
    // Reply codes are three digits (RFC 959, section 4.2); larger numbers stop growing here.
    static constexpr int CodeLimit = 999999;

    // Room left in the buffer: how many bytes the next append() takes. Never 0, because a
    // full buffer without a line end is handed on as a line.
    int space() const { return BufferSize - static_cast<int>(m_buffer.size()); }
    // Takes at most space() bytes; returns how many it took.
    int append(const char *data, int count);

    // The next complete line, if the buffer holds one. A line longer than the buffer is cut
    // at BufferSize bytes and the rest of it, up to its CR LF, is dropped.
    std::optional<FtpReplyLine> takeLine();

    // Forgets everything held, including an unfinished multi-line reply.
    void clear();

    // RFC 8446, section 5.1: the bytes held begin as a TLS record does, a content type of 20
    // to 23 and the major version 3, where an FTP reply begins with a digit.
    bool startsWithTlsRecord() const;

    // Reads the number a line begins with: leading blanks, tabs, CR and LF are skipped, then
    // an optional sign and decimal digits (none: 0). Sets intermediate when the character
    // right after the digits is "-".
    static int statusCode(QByteArrayView line, bool *intermediate = nullptr);
    // A code of the form RFC 959 gives replies (section 4.2): three digits, 100 to 999.
    static bool isReplyCode(int code) { return code >= 100 && code <= 999; }
    // The name in double quotes of a reply such as 257 (RFC 959, appendix II: a quote inside
    // the name is doubled); empty when the line holds no opening quote.
    static QByteArray quotedName(QByteArrayView line);
    // RFC 3659, section 4.2: the size in a 213 reply to SIZE, "213 1234": one to 18 decimal
    // digits after the code and a space, nothing but blanks after them; else none.
    static std::optional<qint64> sizeValue(QByteArrayView line);
    // RFC 2389, section 3.2: whether a line inside a FEAT reply names the feature: a space,
    // the feature's name in any case, then the end of the line or a space and parameters.
    static bool namesFeature(QByteArrayView line, QByteArrayView feature);

private:
    FtpReplyLine classify(QByteArray text);

    QByteArray m_buffer;
    bool m_dropping = false; // the rest of an over-long line is still coming
    int m_multiLineCode = 0; // the code of the multi-line reply being read, 0 outside one
};
