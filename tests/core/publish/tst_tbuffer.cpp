#include "tbuffer.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

QByteArray unread(const TBuffer &buffer)
{
    int count = 0;
    const char *bytes = buffer.peek(count);
    return QByteArray(bytes, count);
}

TEST(TBuffer, TakesOnlyWhatFitsBehindTheWriteCount)
{
    TBuffer buffer(8);
    EXPECT_EQ(buffer.write("abcde", 5), 5);
    EXPECT_EQ(buffer.write("fghijk", 6), 3);
    EXPECT_TRUE(buffer.isFull());
    EXPECT_EQ(buffer.write("x", 1), 0);
    EXPECT_EQ(unread(buffer), QByteArray("abcdefgh"));
}

TEST(TBuffer, RemovingAdvancesTheReadCountAndEmptyingStartsOver)
{
    TBuffer buffer(8);
    buffer.write("abcdefgh", 8);
    buffer.remove(3);
    EXPECT_EQ(unread(buffer), QByteArray("defgh"));
    // Room is made only once everything written has been taken.
    EXPECT_EQ(buffer.write("x", 1), 0);
    buffer.remove(100);
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(buffer.write("12345678", 8), 8);
    EXPECT_EQ(unread(buffer), QByteArray("12345678"));
    buffer.remove(-4);
    EXPECT_EQ(unread(buffer), QByteArray("12345678"));
}

TEST(TBuffer, SizeOfZeroOrLessTakesTheDefault)
{
    EXPECT_EQ(TBuffer().size(), 1514);
    EXPECT_EQ(TBuffer(0).size(), 1514);
    EXPECT_EQ(TBuffer(-5).size(), 1514);
    EXPECT_EQ(TBuffer(100).size(), 100);
}

} // namespace
