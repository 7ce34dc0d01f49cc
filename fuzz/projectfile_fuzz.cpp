// Project files come from anywhere: read them, open them as the wizard does, and write
// them back, which must never crash, hang or grow without bound.
#include "externaltext.h"
#include "projectfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = decodeExternalText(QByteArrayView(data, static_cast<qsizetype>(size)));
    const ProjectFile::ReadResult read = ProjectFile::read(text);
    const ProjectFile::Opened opened
        = ProjectFile::open(read, {QStringLiteral("Simple"), QStringLiteral("Business")},
            [](const QString &path) { return path.size() % 2 == 0; });
    // What was read writes back and reads again to the same page.
    const PageModel again
        = ProjectFile::read(QString::fromUtf8(ProjectFile::bytes(opened.model))).model;
    if (again.links.size() != opened.model.links.size()
        || again.meta.size() != opened.model.meta.size())
        __builtin_trap();
    for (qsizetype n = 0; n < again.links.size(); ++n) {
        if (again.links[n].checked != opened.model.links[n].checked)
            __builtin_trap();
    }
    return 0;
}
