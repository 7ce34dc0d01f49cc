#include "pagefilelist.h"

#include <gtest/gtest.h>

TEST(PageFileList, KeepsPathsSortedAndOnceWhateverTheirCase)
{
    PageFileList files;
    EXPECT_TRUE(files.add(QStringLiteral("/pics/Zebra.gif")));
    EXPECT_TRUE(files.add(QStringLiteral("/pics/apple.jpg")));
    EXPECT_TRUE(files.add(QStringLiteral("/pics/Mango.bmp")));
    EXPECT_FALSE(files.add(QStringLiteral("/PICS/APPLE.JPG")));
    EXPECT_EQ(files.paths(),
        QStringList({QStringLiteral("/pics/apple.jpg"), QStringLiteral("/pics/Mango.bmp"),
            QStringLiteral("/pics/Zebra.gif")}));
    EXPECT_TRUE(files.contains(QStringLiteral("/pics/zebra.GIF")));

    EXPECT_TRUE(files.remove(QStringLiteral("/pics/MANGO.bmp")));
    EXPECT_FALSE(files.remove(QStringLiteral("/pics/mango.bmp")));
    EXPECT_EQ(files.size(), 2);
    files.clear();
    EXPECT_TRUE(files.isEmpty());
}
