#include "ftplocalfile.h"
#include "loopbackpeer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ReadCase {
    const char *name;
    qint64 fileSize;
    QList<qint64> readSizes; // repeated until the end of the file
};

class LocalFileReads : public ::testing::TestWithParam<ReadCase> {};

// Reads served from the block read ahead and reads that go to the file directly return the
// file's bytes in order, whatever the block borders.
TEST_P(LocalFileReads, ReturnTheFileInOrder)
{
    const ReadCase row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("f.bin"));
    const QByteArray content = patternBytes(0, row.fileSize);
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size());
    out.close();

    FtpLocalFile file;
    ASSERT_TRUE(file.open(path, ftpShareDenyWrite));
    QByteArray read;
    QByteArray buffer(1024 * 1024, '\0');
    for (int i = 0; i < 100000; ++i) {
        const qint64 size = row.readSizes[i % row.readSizes.size()];
        const qint64 n = file.read(buffer.data(), size);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, size);
        if (n == 0)
            break;
        read.append(buffer.constData(), n);
    }
    EXPECT_EQ(file.read(buffer.data(), 1024), 0);
    EXPECT_EQ(read.size(), content.size());
    EXPECT_TRUE(read == content);
}

INSTANTIATE_TEST_SUITE_P(FtpLocalFile, LocalFileReads,
    ::testing::Values(ReadCase {"Empty", 0, {1024}},
        ReadCase {"KilobytesOverBlockBorders", 3 * FtpLocalFile::ReadAheadSize + 100, {1024}},
        ReadCase {"OddSizes", 2 * FtpLocalFile::ReadAheadSize + 1, {1000, 7, 4096}},
        ReadCase {"SmallAndLargeMixed", 5 * FtpLocalFile::ReadAheadSize + 3,
            {1024, FtpLocalFile::ReadAheadSize + 5, 100}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
