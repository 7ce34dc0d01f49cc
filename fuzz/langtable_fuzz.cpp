// A text-table language library may be hand-edited or damaged: read it, which must never
// crash or hang, keep no text longer than the cut, key texts by the numbers written, and
// never pass for a library that holds nothing.
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
    // A file that yields nothing is no library, never an empty one.
    const std::optional<LanguageLibrary::Texts> library = LanguageLibrary::read(bytes);
    if (library && library->isEmpty())
        __builtin_trap();
    return 0;
}
