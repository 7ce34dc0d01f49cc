// Remote.ini may come from anywhere (the Windows version, a hand edit, another program): read
// it as the profile store does, which must never crash or hang, give back the very bytes it
// read, and set a value without disturbing the file's sections.
#include "inifile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniFile file = IniFile::fromBytes(QString(), bytes);
    if (file.bytes() != bytes)
        __builtin_trap();

    const QStringList sections = file.sections();
    for (const QString &name : sections.mid(0, 4)) {
        for (const QString &value : file.section(name)) {
            if (value.size() > IniFile::MaxValueLength)
                __builtin_trap();
        }
    }

    const QString target = sections.isEmpty() ? QStringLiteral("Profiles") : sections.first();
    IniFile changed = file;
    if (!changed.setValue(target, u"Name0", u"fuzz")) {
        // Only a name holding a lone CR (a line break to other readers) cannot be written.
        if (!target.contains(u'\r'))
            __builtin_trap();
        return 0;
    }
    if (changed.value(target, u"Name0") != QStringLiteral("fuzz"))
        __builtin_trap();
    if (changed.sections() != (sections.isEmpty() ? QStringList {target} : sections))
        __builtin_trap();
    return 0;
}
