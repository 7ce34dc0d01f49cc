// Runs the tests inside a QApplication on the offscreen platform, with the user's
// home, configuration and data folders pointed at a temporary place.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    // A copy of the program installed on this machine is not the one under test.
    qputenv("XDG_DATA_DIRS", (home.path() + QStringLiteral("/system")).toLocal8Bit());
    // Nothing a test does may read or leave anything in the real home folder.
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Marbleton Software"));
    QCoreApplication::setApplicationName(QStringLiteral("HTML Editor Zephyro"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
