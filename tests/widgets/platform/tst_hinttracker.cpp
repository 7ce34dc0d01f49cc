#include "hinttracker.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

TEST(HintTracker, ReportsTheHintUnderThePointerOnceEachChange)
{
    QWidget window;
    window.resize(200, 100);
    auto *panel = new QWidget(&window);
    panel->setGeometry(0, 0, 200, 50);
    panel->setToolTip(QStringLiteral("Panel"));
    auto *inner = new QWidget(panel);
    inner->setGeometry(10, 10, 20, 20);
    auto *button = new QWidget(&window);
    button->setGeometry(0, 60, 40, 30);
    button->setToolTip(QStringLiteral("Step 1"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    HintTracker tracker;
    QSignalSpy changes(&tracker, &HintTracker::hintChanged);

    QTest::mouseMove(button);
    EXPECT_EQ(tracker.currentHint(), QStringLiteral("Step 1"));
    // A control without a hint shows its parent's.
    QTest::mouseMove(inner);
    EXPECT_EQ(tracker.currentHint(), QStringLiteral("Panel"));
    QTest::mouseMove(panel, QPoint(150, 40));
    EXPECT_EQ(tracker.currentHint(), QStringLiteral("Panel"));
    QTest::mouseMove(&window, QPoint(150, 95));
    EXPECT_EQ(tracker.currentHint(), QString());

    QStringList seen;
    for (const QList<QVariant> &args : changes)
        seen << args.at(0).toString();
    EXPECT_EQ(seen,
        QStringList({QStringLiteral("Step 1"), QString(), QStringLiteral("Panel"), QString()}));
    window.close();
}
