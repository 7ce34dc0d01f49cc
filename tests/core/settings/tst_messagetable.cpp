#include "messagetable.h"

#include <gtest/gtest.h>

TEST(MessageTable, HoldsEveryMessageInEnglish)
{
    const MessageTable table;
    const QList<int> expected = {1090, 1091, 1092, 1093, 1094, 1095, 1096, 1097, 1098, 1099, 1100,
        1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108, 1109, 1110, 1111, 1112, 1118, 1119, 1120,
        1121, 1122, 1123, 1124, 1128, 1137, 1138, 1142,
        // The server profile dialog's transfer modes and connection test.
        1409, 1410, 1411, 1412, 1413, 1414, 1415, 1416, 1417, 1418, 1419, 1420,
        // Encrypted connections.
        1422, 1423, 1424, 1425, 1426, 1427, 1428, 1429, 1440,
        // Saving: the file really written is another than the dialog asked about.
        1500,
        // Tool tips of the picture buttons.
        1520, 1521, 1522, 1523, 1524,
        // The link editor.
        1560, 1561, 1562, 1563, 1564, 1565, 1566,
        // Later messages that had no number.
        1603, 1604, 1605,
        // The upload.
        1610,
        // The Test for a silent server, an oversized Remote.ini, whole files only.
        1620, 1621, 1622, 1624, 1625,
        // What an upload that did not store every file says of each file.
        1630, 1631};
    EXPECT_EQ(table.numbers(), expected);
    for (int number : expected)
        EXPECT_FALSE(table.text(number).isEmpty()) << number;

    EXPECT_EQ(
        table.text(Msg::CouldNotCompleteRequest), QStringLiteral(" Could not complete request."));
    EXPECT_EQ(table.text(1097), QStringLiteral("Aqua"));
    EXPECT_EQ(table.text(1104), QStringLiteral("Maroon"));
    EXPECT_EQ(table.text(1112), QStringLiteral("Yellow"));
    EXPECT_EQ(table.text(Msg::SelectLayoutStyle), QStringLiteral("Please select a layout style."));
    EXPECT_EQ(table.text(Msg::SaveChanges), QString::fromUtf16(kSaveChangesQuestion));
    EXPECT_TRUE(table.text(1125).isEmpty());
    EXPECT_FALSE(table.contains(1000));
}

TEST(MessageTable, ReplacementsShowAtOnceAndOnlyForMessages)
{
    MessageTable table;
    table.setText(Msg::TransferComplete, QStringLiteral("Übertragung abgeschlossen"));
    table.setText(1000, QStringLiteral("not a message"));
    EXPECT_EQ(table.text(Msg::TransferComplete), QStringLiteral("Übertragung abgeschlossen"));
    EXPECT_FALSE(table.contains(1000));
    EXPECT_EQ(
        MessageTable::englishText(Msg::TransferComplete), QStringLiteral("Transfer complete"));
}
