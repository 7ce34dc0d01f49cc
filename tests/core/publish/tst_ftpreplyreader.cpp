#include "ftpreplyreader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds the bytes in pieces of the given size and collects every line as "code-text" for
// an intermediate line and "code text" for a final one.
std::vector<std::string> readAll(const QByteArray &bytes, int piece)
{
    FtpReplyReader reader;
    std::vector<std::string> lines;
    for (qsizetype at = 0; at < bytes.size();) {
        EXPECT_GT(reader.space(), 0);
        at += reader.append(bytes.constData() + at,
            static_cast<int>(std::min<qsizetype>(piece, bytes.size() - at)));
        for (auto line = reader.takeLine(); line.has_value(); line = reader.takeLine()) {
            EXPECT_LE(line->text.size(), FtpReplyReader::BufferSize);
            lines.push_back(std::to_string(line->code) + (line->intermediate ? "-" : " ")
                + line->text.toStdString());
        }
    }
    return lines;
}

struct Reading {
    const char *name;
    QByteArray bytes;
    std::vector<std::string> lines;
};

void PrintTo(const Reading &row, std::ostream *out)
{
    *out << row.name;
}

class ReplyLines : public ::testing::TestWithParam<Reading> {};

TEST_P(ReplyLines, AreTheSameWhateverPiecesTheyComeIn)
{
    for (const int piece : {1, 2, 7, 4096}) {
        EXPECT_EQ(readAll(GetParam().bytes, piece), GetParam().lines) << "pieces of " << piece;
    }
}

const QByteArray LongText(5000, 'x');

INSTANTIATE_TEST_SUITE_P(FtpReplyReader, ReplyLines,
    ::testing::Values(Reading {"OneLine", "220 Ready\r\n", {"220 220 Ready"}},
        Reading {"OnlyCrLfEndsALine", "200 a\rb\nc\r\n250 d", {"200 200 a\rb\nc"}},
        Reading {"MultiLine", "220-Hi\r\n220-there\r\n220 Ready\r\n331 x\r\n",
            {"220-220-Hi", "220-220-there", "220 220 Ready", "331 331 x"}},
        // RFC 959, section 4.2: lines between need not begin with the code at all.
        Reading {"MultiLineWithLooseLines",
            "230-Hi\r\nplain\r\n 230 indented\r\n230-x\r\n2301\r\n230\r\n",
            {"230-230-Hi", "230-plain", "230- 230 indented", "230-230-x", "230-2301", "230 230"}},
        Reading {"NoCode", "hello\r\n\r\n", {"0 hello", "0 "}},
        Reading {"TooLongLineIsCutAndItsRestDropped", "220 " + LongText + "\r\n221 Next\r\n",
            {"220 220 " + std::string(FtpReplyReader::BufferSize - 4, 'x'), "221 221 Next"}}),
    [](const ::testing::TestParamInfo<Reading> &info) { return info.param.name; });

TEST(FtpReplyReader, ReadsStatusCodesAsTheReplyLineBeginsThem)
{
    struct Row {
        const char *line;
        int code;
        bool intermediate;
    };
    for (const Row &row :
        {Row {"220 Ready", 220, false}, Row {"220-Ready", 220, true}, Row {" \t331 x", 331, false},
            Row {"+12 x", 12, false}, Row {"-5-x", -5, true}, Row {"abc", 0, false},
            Row {"", 0, false}, Row {"99999999999999999999 x", FtpReplyReader::CodeLimit, false}}) {
        bool intermediate = !row.intermediate;
        EXPECT_EQ(FtpReplyReader::statusCode(row.line, &intermediate), row.code) << row.line;
        EXPECT_EQ(intermediate, row.intermediate) << row.line;
    }
    EXPECT_FALSE(FtpReplyReader::isReplyCode(0));
    EXPECT_FALSE(FtpReplyReader::isReplyCode(1000));
    EXPECT_TRUE(FtpReplyReader::isReplyCode(257));
}

TEST(FtpReplyReader, QuotedNameUndoublesQuotes)
{
    EXPECT_EQ(FtpReplyReader::quotedName("257 \"/a \"\"b\"\"\" is current"), "/a \"b\"");
    EXPECT_EQ(FtpReplyReader::quotedName("257 \"/open"), "/open");
    EXPECT_EQ(FtpReplyReader::quotedName("250 OK"), "");
}

TEST(FtpReplyReader, ClearForgetsHeldBytesAndAnOpenMultiLineReply)
{
    FtpReplyReader reader;
    const QByteArray bytes = "220-Hi\r\n220 partial";
    reader.append(bytes.constData(), static_cast<int>(bytes.size()));
    ASSERT_TRUE(reader.takeLine().has_value());
    reader.clear();
    EXPECT_EQ(reader.space(), FtpReplyReader::BufferSize);
    reader.append("500 x\r\n", 7);
    const auto line = reader.takeLine();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->code, 500);
    EXPECT_FALSE(line->intermediate);
}

} // namespace
