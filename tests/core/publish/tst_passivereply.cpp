#include "ftpreplyreader.h"
#include "passivereply.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct PortRow {
    const char *line;
    std::optional<quint16> epsv;
    std::optional<quint16> pasv;
};

class PassiveReplyPort : public ::testing::TestWithParam<PortRow> {};

TEST_P(PassiveReplyPort, IsReadOnlyFromAWellFormedReply)
{
    const PortRow &row = GetParam();
    EXPECT_EQ(PassiveReply::epsvPort(row.line), row.epsv) << row.line;
    const auto offer = PassiveReply::pasvOffer(row.line);
    EXPECT_EQ(offer ? std::optional<quint16>(offer->port) : std::nullopt, row.pasv) << row.line;
}

INSTANTIATE_TEST_SUITE_P(PassiveReply, PassiveReplyPort,
    ::testing::Values(PortRow {"229 Entering Extended Passive Mode (|||6446|)", 6446, {}},
        PortRow {"229 Any delimiter (!!!65535!)", 65535, {}},
        PortRow {"229 Text (with parentheses) (|||21|)", 21, {}},
        PortRow {"229 Mixed delimiters (|!|6446|)", {}, {}},
        PortRow {"229 Digit as delimiter (111644611)", {}, {}},
        PortRow {"229 Port zero (|||0|)", {}, {}}, PortRow {"229 Six digits (|||006446|)", {}, {}},
        PortRow {"229 Cut (|||6446|", {}, {}}, PortRow {"229 (|||", {}, {}},
        PortRow {"227 Entering Passive Mode (10,1,2,3,200,11)", {}, 51211},
        PortRow {"227 =127,0,0,1,4,1", {}, 1025},
        PortRow {"227 Passive (127,0,0,1,4,1000)", {}, {}},
        PortRow {"227 Passive (127,0,0,1,4,)", {}, {}},
        PortRow {"227 Passive (127,0,0,1,4,1,2)", {}, {}},
        PortRow {"227 Passive (127,0,0,1,0,0)", {}, {}}, PortRow {"", {}, {}}));

TEST(PassiveReply, PasvAddressIsReadAsNamed)
{
    const auto offer = PassiveReply::pasvOffer("227 Entering Passive Mode (10,1,2,3,4,1)");
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->address, 0x0A010203u);
}

struct SizeRow {
    const char *line;
    std::optional<qint64> size;
};

class SizeReply : public ::testing::TestWithParam<SizeRow> {};

TEST_P(SizeReply, IsADecimalNumberAfterTheCode)
{
    EXPECT_EQ(FtpReplyReader::sizeValue(GetParam().line), GetParam().size) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(FtpReplyReader, SizeReply,
    ::testing::Values(SizeRow {"213 0", 0}, SizeRow {"213 3000  ", 3000},
        SizeRow {"213 123456789012345678", 123456789012345678},
        SizeRow {"213 1234567890123456789", {}}, SizeRow {"213 12 bytes", {}},
        SizeRow {"213 -1", {}}, SizeRow {"213 ", {}}, SizeRow {"2133000", {}}));

TEST(FtpReplyReader, NamesFeatureByItsWholeNameInAnyCase)
{
    EXPECT_TRUE(FtpReplyReader::namesFeature(" SIZE", "SIZE"));
    EXPECT_TRUE(FtpReplyReader::namesFeature(" size", "SIZE"));
    EXPECT_TRUE(FtpReplyReader::namesFeature(" SIZE param", "SIZE"));
    EXPECT_FALSE(FtpReplyReader::namesFeature(" SIZEX", "SIZE"));
    EXPECT_FALSE(FtpReplyReader::namesFeature("SIZE", "SIZE"));
    EXPECT_FALSE(FtpReplyReader::namesFeature("211 SIZE", "SIZE"));
}

} // namespace
