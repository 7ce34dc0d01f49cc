#include "markup.h"

#include <gtest/gtest.h>

TEST(Markup, AttributesTheAidsInsertKeepTheirQuotesInside)
{
    struct Case {
        const char *name;
        QString inserted;
        const char *expected;
    };
    const LinkRow textLink {
        QStringLiteral("it's \"here\".html"), QStringLiteral("<b>Anna's</b>"), {}, {}, {}, true};
    const LinkRow imageLink {QStringLiteral("a.html"), QString(), QStringLiteral("/p/Anna's.gif"),
        QStringLiteral("3\""), QStringLiteral("4'"), false};
    const Case cases[] = {
        {"font face",
            Markup::fontTags(QStringLiteral("My \"Face\""), std::nullopt, QString())->opening,
            "<FONT FACE=\"My &quot;Face&quot;\">"},
        {"font size",
            Markup::fontTags(QString(), rgbColor(255, 0, 0), QStringLiteral("+1\">"))->opening,
            "<FONT COLOR=\"#FF0000\" SIZE=\"+1&quot;&gt;\">"},
        {"text link: the description as typed", Markup::linkElement(textLink),
            "<A HREF=\"it&#39;s &quot;here&quot;.html\"><b>Anna's</b></A>"},
        {"image link", Markup::linkElement(imageLink),
            "<A HREF=\"a.html\"><IMG SRC=\"Anna&#39;s.gif\" BORDER=\"0\" HEIGHT=\"3&quot;\" "
            "WIDTH=\"4&#39;\" ALT=\"Image Link\"></A>"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.inserted, QString::fromUtf8(c.expected)) << c.name;
}
