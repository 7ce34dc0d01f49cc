#include "fileassociation.h"
#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kSection = QStringLiteral("Settings");

QSettings rawSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Marbleton Software"), QStringLiteral("HTML Editor Zephyro"));
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { rawSettings().clear(); }
    void TearDown() override { rawSettings().clear(); }
};

struct NumberCase {
    const char *stored;
    int expected;
};

class StoredNumber : public SettingsStoreTest, public ::testing::WithParamInterface<NumberCase> {};

constexpr int kFallback = 77;

TEST_P(StoredNumber, ReadsTheTextAsTheNumberRulesSay)
{
    const NumberCase c = GetParam();
    rawSettings().setValue(kSection + QStringLiteral("/WizardStyle"), QString::fromUtf8(c.stored));
    SettingsStore store;
    EXPECT_EQ(store.readInteger(kSection, QStringLiteral("WizardStyle"), kFallback), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, StoredNumber,
    ::testing::Values(NumberCase {"0x1", 1}, NumberCase {"0X1F", 31}, NumberCase {"0x100", 256},
        NumberCase {"$10", 16}, NumberCase {"$ff", 255}, NumberCase {"-3", -3},
        NumberCase {"+7", 7}, NumberCase {"12", 12}, NumberCase {"word", kFallback},
        // Two characters are no hexadecimal prefix yet, and no decimal number either.
        NumberCase {"0x", kFallback}, NumberCase {"$", kFallback}, NumberCase {"0x1G", kFallback},
        NumberCase {"12abc", kFallback}, NumberCase {"", kFallback}, NumberCase {"-", kFallback},
        NumberCase {"99999999999", kFallback}, NumberCase {"$123456789", kFallback}));

TEST_F(SettingsStoreTest, AnEmptyStoreGivesTheDefaults)
{
    SettingsStore store;
    EXPECT_EQ(store.readInteger(kSection, QStringLiteral("FormatImports"), 0), 0);
    EXPECT_TRUE(store.readBool(kSection, QStringLiteral("WordWrap"), true));
    EXPECT_FALSE(store.readBool(kSection, QStringLiteral("OtherLang"), false));
    EXPECT_EQ(store.readString(kSection, QStringLiteral("LangLibrary"), QStringLiteral("d")),
        QStringLiteral("d"));
}

TEST_F(SettingsStoreTest, WritesEveryValueAsText)
{
    SettingsStore store;
    ASSERT_TRUE(store.writeBool(kSection, QStringLiteral("WordWrap"), false));
    ASSERT_TRUE(store.writeInteger(kSection, QStringLiteral("FormatImports"), 1));
    QFile file(store.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("[Settings]"));
    EXPECT_TRUE(content.contains("WordWrap=0"));
    EXPECT_TRUE(content.contains("FormatImports=1"));
    EXPECT_TRUE(
        store.fileName().endsWith(QStringLiteral("/Marbleton Software/HTML Editor Zephyro.conf")));
}

struct ColorCase {
    int slot;
    quint32 bgr;
    const char *entry;
};

class CustomColorEntry : public ::testing::TestWithParam<ColorCase> {};

TEST_P(CustomColorEntry, IsTheSlotNameAndBlueGreenRed)
{
    const ColorCase c = GetParam();
    EXPECT_EQ(customColorEntry(c.slot, c.bgr), QString::fromLatin1(c.entry));
    EXPECT_EQ(customColorValue(QString::fromLatin1(c.entry)), c.bgr);
}

INSTANTIATE_TEST_SUITE_P(Slots, CustomColorEntry,
    ::testing::Values(ColorCase {0, 0xFFFFFF, "ColorA=FFFFFF"},
        ColorCase {15, 0x0000FF, "ColorP=0000FF"}, ColorCase {2, 0x12AB05, "ColorC=12AB05"}));

TEST(CustomColorEntryText, WithoutAColourGivesNone)
{
    for (const char *entry : {"ColorA", "ColorA=", "ColorA=XYZ", "ColorA=1FFFFFF"})
        EXPECT_FALSE(customColorValue(QString::fromLatin1(entry))) << entry;
}

// The association's files under the test's XDG folders; the system's data folders are a
// temporary one, empty unless a test installs a copy there.
class Association : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(FileAssociation::dataHome()).removeRecursively();
        QFile::remove(listFile());
        ASSERT_TRUE(system.isValid());
        savedDataDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", system.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_DATA_DIRS", savedDataDirs); }
    // Puts a file of an installed copy in the system's data folder.
    void install(const QString &relativePath, const QByteArray &content)
    {
        const QString path = system.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static QString listFile()
    {
        return FileAssociation::configHome() + QStringLiteral("/mimeapps.list");
    }
    static QString desktopFile()
    {
        return FileAssociation::dataHome() + QStringLiteral("/applications/")
            + QLatin1String(FileAssociation::kDesktopFile);
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    const QString program = QStringLiteral("/opt/zephyro/zephyro");
    const QByteArray icon = QByteArrayLiteral("\x89PNG icon");
    QTemporaryDir system;
    QByteArray savedDataDirs;
};

TEST_F(Association, IsWrittenOnceAndRewrittenWhenChanged)
{
    const FileAssociation::Outcome first = FileAssociation::registerFileType(program, icon);
    EXPECT_TRUE(first.failed.isEmpty());
    EXPECT_EQ(first.written.size(), 4);
    const QByteArray desktop = read(desktopFile());
    EXPECT_TRUE(desktop.contains("Exec=/opt/zephyro/zephyro %f\n"));
    EXPECT_TRUE(desktop.contains("MimeType=application/x-zephyro-project;"));
    EXPECT_TRUE(
        read(FileAssociation::dataHome() + QStringLiteral("/mime/packages/x-zephyro-project.xml"))
            .contains("<glob pattern=\"*.pwz\"/>"));

    EXPECT_TRUE(FileAssociation::registerFileType(program, icon).written.isEmpty());

    QFile changed(desktopFile());
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write("[Desktop Entry]\nExec=other %f\n");
    changed.close();
    const FileAssociation::Outcome again
        = FileAssociation::registerFileType(QStringLiteral("/usr/bin/zephyro"), icon);
    EXPECT_EQ(again.written, QStringList {desktopFile()});
    EXPECT_TRUE(read(desktopFile()).contains("Exec=/usr/bin/zephyro %f\n"));
}

TEST_F(Association, BecomesTheDefaultAndKeepsTheUsersOtherLines)
{
    QDir().mkpath(FileAssociation::configHome());
    QFile list(listFile());
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\ntext/html=firefox.desktop\n"
               "application/x-zephyro-project=old.desktop;\n\n[Added Associations]\n"
               "image/png=gimp.desktop;\n");
    list.close();
    FileAssociation::registerFileType(program, icon);
    EXPECT_EQ(read(listFile()),
        QByteArray("[Default Applications]\ntext/html=firefox.desktop\n"
                   "application/x-zephyro-project=marbleton-html-zephyro.desktop;\n\n"
                   "[Added Associations]\nimage/png=gimp.desktop;\n"));
}

TEST_F(Association, QuotesAProgramPathWithBlanks)
{
    EXPECT_TRUE(FileAssociation::desktopEntry(QStringLiteral("/home/a b/zephyro"))
                    .contains("Exec=\"/home/a b/zephyro\" %f\n"));
}

TEST_F(Association, TheInstalledMimeTypeIsTheOneTheProgramWrites)
{
    QFile installed(QStringLiteral(ZEPHYRO_SOURCE_DIR "/packaging/")
        + QLatin1String(FileAssociation::kInstalledMimeFile));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    EXPECT_EQ(installed.readAll(), FileAssociation::mimePackage());
}

struct InstalledCopy {
    const char *name;
    bool programExists; // the installed entry opens a program that is there
    bool mimeType;
    bool icon;
};

void PrintTo(const InstalledCopy &copy, std::ostream *out)
{
    *out << copy.name;
}

class InstalledAssociation : public Association,
                             public ::testing::WithParamInterface<InstalledCopy> {};

TEST_P(InstalledAssociation, TheUsersFilesOnlyAddWhatTheInstalledCopyLacks)
{
    const InstalledCopy &copy = GetParam();
    // A build folder's copy ran before the installation.
    const QString buildProgram = QStringLiteral("/home/me/zephyro/build/release/app/zephyro");
    FileAssociation::registerFileType(buildProgram, icon);
    ASSERT_TRUE(QFileInfo::exists(desktopFile()));

    // Any program that is there will do as the installed one.
    const QString installedProgram = copy.programExists
        ? QCoreApplication::applicationFilePath()
        : system.filePath(QStringLiteral("bin/zephyro"));
    install(QStringLiteral("applications/") + QLatin1String(FileAssociation::kDesktopFile),
        FileAssociation::desktopEntry(installedProgram));
    if (copy.mimeType)
        install(
            QStringLiteral("mime/packages/") + QLatin1String(FileAssociation::kInstalledMimeFile),
            FileAssociation::mimePackage());
    if (copy.icon)
        install(QStringLiteral("icons/hicolor/48x48/apps/marbleton-html-zephyro.png"), icon);
    const QString userMime
        = FileAssociation::dataHome() + QStringLiteral("/mime/packages/x-zephyro-project.xml");
    const QString userIcon = FileAssociation::dataHome()
        + QStringLiteral("/icons/hicolor/48x48/apps/marbleton-html-zephyro.png");
    QFile::remove(userMime);
    QFile::remove(userIcon);

    const FileAssociation::Outcome outcome = FileAssociation::registerFileType(buildProgram, icon);
    EXPECT_TRUE(outcome.failed.isEmpty());
    const QByteArray userEntry = read(desktopFile());
    if (copy.programExists) {
        EXPECT_EQ(FileAssociation::findInstalled().program, installedProgram);
        EXPECT_TRUE(userEntry.isEmpty()) << "the user's entry would open the build folder";
        EXPECT_EQ(outcome.removed, QStringList {desktopFile()});
    } else {
        EXPECT_TRUE(userEntry.contains("Exec=" + buildProgram.toUtf8() + " %f\n"));
    }
    EXPECT_EQ(QFileInfo::exists(userMime), !copy.mimeType);
    EXPECT_EQ(QFileInfo::exists(userIcon), !copy.icon);
    EXPECT_TRUE(read(listFile())
                    .contains("application/x-zephyro-project=marbleton-html-zephyro.desktop;\n"));
}

INSTANTIATE_TEST_SUITE_P(Copies, InstalledAssociation,
    ::testing::Values(InstalledCopy {"Complete", true, true, true},
        InstalledCopy {"WithoutMimeType", true, false, true},
        InstalledCopy {"EntryOfARemovedCopy", false, false, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
