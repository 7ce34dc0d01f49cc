// A language library is any file the user puts in LangLibs: read it as a resource module,
// which must never crash, hang or keep a text longer than the cut.
#include "languagelibrary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<LanguageLibrary::Texts> texts = LanguageLibrary::readResourceModule(bytes);
    if (!texts)
        return 0;
    for (const QString &text : *texts) {
        if (text.size() > LanguageLibrary::kMaxTextLength)
            __builtin_trap();
    }
    return 0;
}
