#include "fontfamilies.h"

#include <gtest/gtest.h>

TEST(FontFamilies, NamesAreThoseABrowserMatches)
{
    struct Case {
        const char *name;
        QStringList qtFamilies;
        QStringList offered;
    } cases[] = {
        {"the foundry in brackets goes", {u"C059 [urw]"_qs, u"Nimbus Sans [UKWN]"_qs},
            {u"C059"_qs, u"Nimbus Sans"_qs}},
        {"a family two foundries make is offered once",
            {u"C059 [UKWN]"_qs, u"C059 [urw]"_qs, u"c059"_qs}, {u"C059"_qs}},
        {"plain names stay, sorted without regard to case",
            {u"Liberation Sans"_qs, u"arial"_qs, u"DejaVu Sans Mono"_qs},
            {u"arial"_qs, u"DejaVu Sans Mono"_qs, u"Liberation Sans"_qs}},
        {"brackets inside a name are the name's", {u"Font [Beta] Sans"_qs, u"[x]"_qs},
            {u"[x]"_qs, u"Font [Beta] Sans"_qs}},
        {"nothing installed", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FontFamilies::browserNames(c.qtFamilies), c.offered);
    }
}

TEST(FontFamilies, InstalledFacesCarryNoFoundry)
{
    const QStringList installed = FontFamilies::installed();
    // fonts-liberation is installed with the program's build dependencies.
    EXPECT_TRUE(installed.contains(u"Liberation Sans"_qs));
    for (const QString &name : installed)
        EXPECT_FALSE(name.endsWith(QLatin1Char(']'))) << name.toStdString();
}
