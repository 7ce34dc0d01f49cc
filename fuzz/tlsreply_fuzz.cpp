// What is read around TLS comes from a server or from a profile that anyone may have edited:
// the replies to AUTH TLS, PBSZ and PROT, the stored fingerprint and the security choice.
// Reading them must never crash, and what is accepted must be what it claims to be.
#include "ftpreplyreader.h"
#include "tlstypes.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto count = static_cast<int>(size);

    // Replies as the control connection delivers them; a 234 is what starts the handshake.
    FtpReplyReader reader;
    int taken = 0;
    while (taken < count) {
        taken += reader.append(bytes + taken, count - taken);
        while (const std::optional<FtpReplyLine> reply = reader.takeLine()) {
            if (reply->code == 234 && !reply->intermediate && !reply->text.contains("234"))
                __builtin_trap();
        }
    }

    const QString text = QString::fromUtf8(bytes, static_cast<qsizetype>(size));
    if (const std::optional<QByteArray> fingerprint = Fingerprints::parse(text)) {
        if (fingerprint->size() != 32
            || Fingerprints::parse(Fingerprints::format(*fingerprint)) != *fingerprint)
            __builtin_trap();
    }
    if (const std::optional<TFtpSecurity> security = FtpSecurities::parse(text)) {
        if (FtpSecurities::parse(FtpSecurities::name(*security)) != *security)
            __builtin_trap();
    }
    return 0;
}
