#include "ftpreplyreader.h"

#include <algorithm>

namespace {

const QByteArrayView LineEnd("\r\n");

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// RFC 959, section 4.2: the last line of a multi-line reply begins with the same three digits
// as the first, followed by a space. Lines between may hold anything, even other numbers.
bool endsMultiLineReply(QByteArrayView line, int code)
{
    const QByteArray digits = QByteArray::number(code);
    return line.startsWith(digits)
        && (line.size() == digits.size()
            || (line.at(digits.size()) != '-' && !isDigit(line.at(digits.size()))));
}

} // namespace

int FtpReplyReader::append(const char *data, int count)
{
    const int taken = std::clamp(count, 0, space());
    if (taken > 0)
        m_buffer.append(data, taken);
    return taken;
}

std::optional<FtpReplyLine> FtpReplyReader::takeLine()
{
    for (;;) {
        const qsizetype end = m_buffer.indexOf(LineEnd);
        if (end >= 0) {
            QByteArray text = m_buffer.left(end);
            m_buffer.remove(0, end + LineEnd.size());
            if (m_dropping) {
                m_dropping = false;
                continue;
            }
            return classify(std::move(text));
        }
        if (m_buffer.size() < BufferSize)
            return std::nullopt;
        // A full buffer without a line end would stall the connection. A CR at its very end
        // may be the first half of the line end, so it stays.
        const qsizetype cut = m_buffer.endsWith('\r') ? BufferSize - 1 : BufferSize;
        QByteArray text = m_buffer.left(cut);
        m_buffer.remove(0, cut);
        if (m_dropping)
            continue;
        m_dropping = true;
        return classify(std::move(text));
    }
}

bool FtpReplyReader::startsWithTlsRecord() const
{
    if (m_buffer.size() < 2)
        return false;
    const auto type = static_cast<quint8>(m_buffer.at(0));
    return type >= 20 && type <= 23 && m_buffer.at(1) == 3;
}

void FtpReplyReader::clear()
{
    m_buffer.clear();
    m_dropping = false;
    m_multiLineCode = 0;
}

FtpReplyLine FtpReplyReader::classify(QByteArray text)
{
    FtpReplyLine line;
    if (m_multiLineCode != 0) {
        line.code = m_multiLineCode;
        line.intermediate = !endsMultiLineReply(text, m_multiLineCode);
        if (!line.intermediate)
            m_multiLineCode = 0;
    } else {
        line.code = statusCode(text, &line.intermediate);
        // RFC 959, section 4.2: "ddd-" opens a multi-line reply that only "ddd " closes.
        if (line.intermediate && isReplyCode(line.code) && !text.isEmpty() && isDigit(text.at(0)))
            m_multiLineCode = line.code;
    }
    line.text = std::move(text);
    return line;
}

int FtpReplyReader::statusCode(QByteArrayView line, bool *intermediate)
{
    qsizetype at = 0;
    while (at < line.size()
        && (line.at(at) == ' ' || line.at(at) == '\t' || line.at(at) == '\r'
            || line.at(at) == '\n'))
        ++at;
    bool negative = false;
    if (at < line.size() && (line.at(at) == '+' || line.at(at) == '-')) {
        negative = line.at(at) == '-';
        ++at;
    }
    int code = 0;
    for (; at < line.size() && isDigit(line.at(at)); ++at)
        code = std::min(code * 10 + (line.at(at) - '0'), CodeLimit);
    if (intermediate != nullptr)
        *intermediate = at < line.size() && line.at(at) == '-';
    return negative ? -code : code;
}

QByteArray FtpReplyReader::quotedName(QByteArrayView line)
{
    const qsizetype open = line.indexOf('"');
    if (open < 0)
        return {};
    QByteArray name;
    for (qsizetype at = open + 1; at < line.size(); ++at) {
        if (line.at(at) != '"') {
            name.append(line.at(at));
        } else if (at + 1 < line.size() && line.at(at + 1) == '"') {
            name.append('"');
            ++at;
        } else {
            break;
        }
    }
    return name;
}

std::optional<qint64> FtpReplyReader::sizeValue(QByteArrayView line)
{
    constexpr int MaxDigits = 18; // below the limit of qint64
    if (line.size() < 5 || line.at(3) != ' ')
        return std::nullopt;
    qint64 value = 0;
    qsizetype at = 4;
    for (; at < line.size() && isDigit(line.at(at)); ++at) {
        if (at - 4 >= MaxDigits)
            return std::nullopt;
        value = value * 10 + (line.at(at) - '0');
    }
    if (at == 4)
        return std::nullopt;
    for (; at < line.size(); ++at) {
        if (line.at(at) != ' ' && line.at(at) != '\t')
            return std::nullopt;
    }
    return value;
}

bool FtpReplyReader::namesFeature(QByteArrayView line, QByteArrayView feature)
{
    if (line.size() < feature.size() + 1 || line.at(0) != ' ')
        return false;
    const QByteArrayView name = line.sliced(1, feature.size());
    return name.compare(feature, Qt::CaseInsensitive) == 0
        && (line.size() == feature.size() + 1 || line.at(feature.size() + 1) == ' ');
}
