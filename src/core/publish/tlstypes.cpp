#include "tlstypes.h"

#include <array>

namespace {

struct SecurityName {
    TFtpSecurity value;
    const char *name;
};

constexpr std::array<SecurityName, 4> securityNames {{
    {TFtpSecurity::ExplicitIfAvailable, "ExplicitIfAvailable"},
    {TFtpSecurity::ExplicitRequired, "ExplicitRequired"},
    {TFtpSecurity::Implicit, "Implicit"},
    {TFtpSecurity::None, "None"},
}};

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

QString FtpSecurities::name(TFtpSecurity security)
{
    for (const SecurityName &entry : securityNames)
        if (entry.value == security)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("ExplicitIfAvailable");
}

std::optional<TFtpSecurity> FtpSecurities::parse(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    for (const SecurityName &entry : securityNames)
        if (trimmed.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    return std::nullopt;
}

QString Fingerprints::format(const QByteArray &sha256)
{
    return QString::fromLatin1(sha256.toHex(':').toUpper());
}

std::optional<QByteArray> Fingerprints::parse(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    // Either 64 digits, or 32 pairs with a colon between each two.
    const bool colons = trimmed.size() == 95;
    if (trimmed.size() != 64 && !colons)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(32);
    qsizetype i = 0;
    while (i < trimmed.size()) {
        if (colons && bytes.size() > 0) {
            if (trimmed[i] != u':')
                return std::nullopt;
            ++i;
        }
        const int high = hexValue(trimmed[i]);
        const int low = hexValue(trimmed[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high << 4 | low));
        i += 2;
    }
    return bytes;
}
