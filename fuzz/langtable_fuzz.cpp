// A text-table language library may be hand-edited or damaged: read it, which must never
// crash or hang, keep no text longer than the cut, and key texts by the numbers written.
#include "languagelibrary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LanguageLibrary::Texts texts = LanguageLibrary::readTextTable(bytes);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (it.key() < 0 || it.value().size() > LanguageLibrary::kMaxTextLength)
            __builtin_trap();
    }
    // Each entry comes from a line of its own.
    if (texts.size() > bytes.count('\n') + 1)
        __builtin_trap();
    return 0;
}
