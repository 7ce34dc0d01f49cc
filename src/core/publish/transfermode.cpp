#include "transfermode.h"

#include <array>

namespace {

constexpr std::array kModes {
    TFtpTransferMode::Auto, TFtpTransferMode::Passive, TFtpTransferMode::Active};

} // namespace

namespace TransferModes {

QString name(TFtpTransferMode mode)
{
    switch (mode) {
    case TFtpTransferMode::Passive:
        return QStringLiteral("Passive");
    case TFtpTransferMode::Active:
        return QStringLiteral("Active");
    case TFtpTransferMode::Auto:
        break;
    }
    return QStringLiteral("Auto");
}

std::optional<TFtpTransferMode> parse(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    for (const TFtpTransferMode mode : kModes) {
        if (trimmed.compare(name(mode), Qt::CaseInsensitive) == 0)
            return mode;
    }
    return std::nullopt;
}

} // namespace TransferModes
