// Templates are any HTML a user drops into the Templates folder: building a page from one
// must never crash, whatever its bytes.
#include "externaltext.h"
#include "pagebuilder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const PageModel model = [] {
        PageModel page;
        page.title = QStringLiteral("#text in a #link title");
        page.meta = {{QStringLiteral("a"), QStringLiteral("Keywords")}};
        page.links = {{QStringLiteral("http://a.example/"), QStringLiteral("A"),
            QStringLiteral("C:\\b.gif"), QStringLiteral("1"), QStringLiteral("2"), true}};
        page.text = QStringLiteral("one\n#pagetext </BODY>\n");
        page.bullets = {QStringLiteral("x"), QString()};
        page.marginOn = true;
        return page;
    }();
    const QStringList lines
        = splitLines(decodeExternalText(QByteArrayView(data, static_cast<qsizetype>(size))));
    const QStringList page
        = PageBuilder::build(lines, model, {QStringLiteral("today"), QStringLiteral("now")});
    if (page.size() != lines.size())
        __builtin_trap();
    return 0;
}
