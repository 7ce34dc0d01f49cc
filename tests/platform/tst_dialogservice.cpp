#include "desktopshell.h"
#include "dialogservice.h"
#include "updown.h"

#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

TEST(DialogService, MessageBoxesAreTitledByKind)
{
    EXPECT_EQ(messageTitle(MessageKind::Confirmation), QStringLiteral("Confirm"));
    EXPECT_EQ(messageTitle(MessageKind::Information), QStringLiteral("Information"));
    EXPECT_EQ(messageTitle(MessageKind::Warning), QStringLiteral("Warning"));
    EXPECT_EQ(messageTitle(MessageKind::Error), QStringLiteral("Error"));
    EXPECT_EQ(
        messageTitle(MessageKind::Plain), QStringLiteral("Marbleton HTML Editor Zephyro 2.0"));
}

TEST(DialogService, FiltersBecomeQtNameFilters)
{
    EXPECT_EQ(qtNameFilters(QStringLiteral("Web Files|*.htm;*.html;*.txt|All Files|*.*")),
        QStringList(
            {QStringLiteral("Web Files (*.htm *.html *.txt)"), QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Marbleton Zephyro Files|*.pwz")),
        QStringList({QStringLiteral("Marbleton Zephyro Files (*.pwz)")}));
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
    EXPECT_EQ(qtNameFilters(QStringLiteral("Pictures|*.gif|Dangling")).size(), 1);
}

TEST(DesktopShell, TargetsBecomeAddresses)
{
    EXPECT_EQ(shellUrl(QStringLiteral("/home/me/site/index.html")),
        QUrl::fromLocalFile(QStringLiteral("/home/me/site/index.html")));
    EXPECT_EQ(shellUrl(QStringLiteral("/home/me/my site/a b.html")).toLocalFile(),
        QStringLiteral("/home/me/my site/a b.html"));
    EXPECT_EQ(shellUrl(QStringLiteral("https://www.example/x?y=1")),
        QUrl(QStringLiteral("https://www.example/x?y=1")));
    EXPECT_EQ(shellUrl(QStringLiteral("mailto:me@example.com")).scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(shellUrl(QStringLiteral("www.example.com")).scheme(), QStringLiteral("http"));
    EXPECT_TRUE(shellUrl(QStringLiteral("  ")).isEmpty());
}

TEST(UpDown, StepsFromTheTypedNumberWithinItsRange)
{
    QWidget parent;
    QLineEdit edit(QStringLiteral("120"), &parent);
    UpDown upDown(&edit, 0, 300, 120, &parent);

    upDown.stepBy(1);
    EXPECT_EQ(edit.text(), QStringLiteral("121"));
    edit.setText(QStringLiteral("299"));
    upDown.stepBy(5);
    EXPECT_EQ(edit.text(), QStringLiteral("300"));
    edit.setText(QStringLiteral("wide"));
    upDown.stepBy(-1);
    EXPECT_EQ(edit.text(), QStringLiteral("299")); // from the last good position
    edit.setText(QStringLiteral("-40"));
    upDown.stepBy(-1);
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
}
