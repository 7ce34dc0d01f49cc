// Stored settings are text a user may edit by hand: any text must read as a number or as
// "no number", and a custom colour entry as a colour or none.
#include "settingsstore.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    (void)SettingsStore::parseNumber(text);
    if (const std::optional<quint32> color = customColorValue(text)) {
        if (*color > 0xFFFFFFu)
            __builtin_trap();
    }
    return 0;
}
