#include "datafolders.h"
#include "fileassociation.h"
#include "fulldisk.h"
#include "stepnavigation.h"
#include "tfrmsettings.h"
#include "uibuilder.h"
#include "wizardfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

QSettings rawSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Marbleton Software"), QStringLiteral("HTML Editor Zephyro"));
}

QString stored(const char *name)
{
    return rawSettings().value(QStringLiteral("Settings/") + QLatin1String(name)).toString();
}

const QColor kChosen(10, 20, 200);

struct CloseCase {
    const char *name;
    bool modified;
    MessageAnswer answer; // asked only when modified
    bool classicClose;
    bool kept;
};

class CustomColorsOnClose : public WizardTest, public ::testing::WithParamInterface<CloseCase> {};

struct LayoutCase {
    const char *name;
    bool storedClassic;
    bool chooseClassic;
    int height;
};

class SettingsOk : public WizardTest, public ::testing::WithParamInterface<LayoutCase> {};

} // namespace

TEST_F(WizardTest, AnEmptyStoreGivesTheDefaultWindow)
{
    EXPECT_EQ(window->size(), QSize(542, kToolbarClientHeight));
    EXPECT_FALSE(window->navigation().isClassic());
    EXPECT_EQ(ui::tagOf(ui().text.txtText), 0);
    EXPECT_EQ(ui().text.txtText->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(window->otherLanguage());
    for (const QColor &color : window->dialogCustomColors())
        EXPECT_EQ(color, QColor(Qt::white));
}

TEST_F(WizardTest, StoredTextIsReadByTheNumberRulesAtStart)
{
    rawSettings().setValue(QStringLiteral("Settings/WizardStyle"), QStringLiteral("0x1"));
    rawSettings().setValue(QStringLiteral("Settings/FormatImports"), QStringLiteral("$1"));
    rawSettings().setValue(QStringLiteral("Settings/WordWrap"), QStringLiteral("no"));
    rawSettings().setValue(QStringLiteral("Settings/OtherLang"), QStringLiteral("1"));
    rawSettings().setValue(QStringLiteral("CustomColors/ColorB"), QStringLiteral("ColorB=C81410"));
    createWindow();
    EXPECT_TRUE(window->navigation().isClassic());
    EXPECT_EQ(window->size(), QSize(542, kClassicClientHeight));
    EXPECT_EQ(ui::tagOf(ui().text.txtText), 1);
    // A word is no number: the default, wrapping.
    EXPECT_EQ(ui().text.txtText->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // Another language without a library is no language.
    EXPECT_FALSE(window->otherLanguage());
    EXPECT_EQ(window->dialogCustomColors()[1], QColor(0x10, 0x14, 0xC8));
    EXPECT_EQ(window->dialogCustomColors()[0], QColor(Qt::white));
}

TEST_P(CustomColorsOnClose, AreStoredByEveryCloseRequestButNotByClassicClose)
{
    const CloseCase c = GetParam();
    window->dialogCustomColors()[3] = kChosen;
    if (c.modified) {
        typeInto(ui().start.txtPageTitle, QStringLiteral("x"));
        dialogs->answerMessage(c.answer);
    }
    if (c.classicClose)
        QTest::mouseClick(ui().strip.cmdClose, Qt::LeftButton);
    else
        window->close();
    window.reset();

    createWindow();
    EXPECT_EQ(window->dialogCustomColors()[3] == kChosen, c.kept);
    EXPECT_EQ(rawSettings().value(QStringLiteral("CustomColors/ColorD")).toString(),
        c.kept ? QStringLiteral("ColorD=C8140A") : QString());
}

INSTANTIATE_TEST_SUITE_P(Ways, CustomColorsOnClose,
    ::testing::Values(CloseCase {"unchanged", false, MessageAnswer::Ok, false, true},
        CloseCase {"cancelled", true, MessageAnswer::Cancel, false, true},
        CloseCase {"no", true, MessageAnswer::No, false, true},
        CloseCase {"yes", true, MessageAnswer::Yes, false, true},
        CloseCase {"classic", false, MessageAnswer::Ok, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WizardTest, ACustomColourThatCannotBeStoredIsReportedAndTheCloseGoesOn)
{
    dialogs->answerMessage(MessageAnswer::Ok);
    bool closed = false;
    {
        FullDisk full;
        closed = window->close();
    }
    EXPECT_TRUE(closed);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Failed to set data for 'ColorA'"));
}

TEST_P(SettingsOk, SwitchesTheLayoutShowsStepOneAndStores)
{
    const LayoutCase c = GetParam();
    if (c.storedClassic) {
        rawSettings().setValue(QStringLiteral("Settings/WizardStyle"), QStringLiteral("1"));
        createWindow();
    }
    window->showStep(5);
    dialogs->answerDialog([&](QDialog &d) {
        // The tab captions are panel hints, never tool tips over the tab's controls.
        EXPECT_TRUE(child<QWidget>(d, "pnlSettings")->toolTip().isEmpty());
        EXPECT_EQ(child<QTabWidget>(d, "tabSettings")->tabText(1), QStringLiteral("About"));
        EXPECT_EQ(child<QCheckBox>(d, "chkOldButton")->isChecked(), c.storedClassic);
        child<QCheckBox>(d, "chkOldButton")->setChecked(c.chooseClassic);
        child<QCheckBox>(d, "chkWrap")->setChecked(false);
        child<QCheckBox>(d, "chkTextBR")->setChecked(true);
        click(d, "btnOK");
    });
    QTest::mouseClick(c.storedClassic ? static_cast<QWidget *>(ui().strip.btnOldSettings)
                                      : static_cast<QWidget *>(ui().strip.btnSettings),
        Qt::LeftButton);

    EXPECT_EQ(dialogs->dialogsRun(), QStringList {QStringLiteral("Settings")});
    EXPECT_EQ(window->size(), QSize(542, c.height));
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_TRUE(ui().strip.btnTB[0]->isChecked());
    EXPECT_EQ(ui::tagOf(ui().text.txtText), 1);
    EXPECT_EQ(ui().text.txtText->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(stored("WizardStyle"), QLatin1String(c.chooseClassic ? "1" : "0"));
    EXPECT_EQ(stored("FormatImports"), QStringLiteral("1"));
    EXPECT_EQ(stored("WordWrap"), QStringLiteral("0"));
    EXPECT_EQ(stored("DefaultLang"), QStringLiteral("1"));
    EXPECT_EQ(stored("OtherLang"), QStringLiteral("0"));

    // The choice holds for the next start.
    createWindow();
    EXPECT_EQ(window->size(), QSize(542, c.height));
    EXPECT_EQ(ui().text.txtText->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(ui::tagOf(ui().text.txtText), 1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SettingsOk,
    ::testing::Values(LayoutCase {"toClassic", false, true, kClassicClientHeight},
        LayoutCase {"toToolbar", true, false, kToolbarClientHeight},
        LayoutCase {"stayToolbar", false, false, kToolbarClientHeight}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WizardTest, SettingsCancelStoresNothing)
{
    writeAppFile(QStringLiteral("LangLibs/German.lng"), "1000=Start\n");
    dialogs->answerDialog([&](QDialog &d) {
        child<QCheckBox>(d, "chkOldButton")->setChecked(true);
        child<QCheckBox>(d, "chkWrap")->setChecked(false);
        child<QCheckBox>(d, "chkTextBR")->setChecked(true);
        child<QRadioButton>(d, "optOther")->setChecked(true);
        child<QComboBox>(d, "cbLang")->setCurrentIndex(0);
        click(d, "btnCancel");
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
    EXPECT_TRUE(rawSettings().childGroups().isEmpty())
        << rawSettings().allKeys().join(u',').toStdString();
    EXPECT_EQ(window->size(), QSize(542, kToolbarClientHeight));
    EXPECT_EQ(ui::tagOf(ui().text.txtText), 0);
    EXPECT_EQ(ui().text.txtText->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(window->otherLanguage());
}

TEST_F(WizardTest, SettingsListsTheLibrariesAndStoresTheChosenOne)
{
    writeAppFile(QStringLiteral("LangLibs/spanish.lng"), "1000=Inicio\n");
    writeAppFile(QStringLiteral("LangLibs/German.LNG"), "1000=Start\n");
    writeAppFile(QStringLiteral("LangLibs/readme.txt"), "x");
    dialogs->answerDialog([&](QDialog &d) {
        QComboBox *cbLang = child<QComboBox>(d, "cbLang");
        EXPECT_EQ(child<QTabWidget>(d, "tabSettings")->currentIndex(), 0);
        EXPECT_TRUE(child<QRadioButton>(d, "optEnglish")->isChecked());
        EXPECT_FALSE(cbLang->isEnabled());
        ASSERT_EQ(cbLang->count(), 2);
        EXPECT_EQ(cbLang->itemText(0), QStringLiteral("German.LNG"));
        EXPECT_EQ(cbLang->itemText(1), QStringLiteral("spanish.lng"));
        child<QRadioButton>(d, "optOther")->setChecked(true);
        EXPECT_TRUE(cbLang->isEnabled());
        cbLang->setCurrentIndex(1);
        click(d, "btnOK");
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
    const QString library = appDir.path() + QStringLiteral("/LangLibs/spanish.lng");
    EXPECT_EQ(stored("LangLibrary"), library);
    EXPECT_EQ(stored("OtherLang"), QStringLiteral("1"));
    EXPECT_EQ(stored("DefaultLang"), QStringLiteral("0"));
    EXPECT_TRUE(window->otherLanguage());
    EXPECT_EQ(window->languageLibraryPath(), library);

    // The next dialog shows the stored choice; English again turns the list off.
    dialogs->answerDialog([&](QDialog &d) {
        EXPECT_TRUE(child<QRadioButton>(d, "optOther")->isChecked());
        EXPECT_EQ(child<QComboBox>(d, "cbLang")->currentText(), QStringLiteral("spanish.lng"));
        child<QRadioButton>(d, "optEnglish")->setChecked(true);
        EXPECT_FALSE(child<QComboBox>(d, "cbLang")->isEnabled());
        click(d, "btnCancel");
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
}

TEST_F(WizardTest, SettingsOtherWithNoEntrySelectedKeepsEnglish)
{
    writeAppFile(QStringLiteral("LangLibs/German.lng"), "1000=Start\n");
    dialogs->answerDialog([&](QDialog &d) {
        child<QRadioButton>(d, "optOther")->setChecked(true);
        EXPECT_EQ(child<QComboBox>(d, "cbLang")->currentIndex(), -1);
        click(d, "btnOK");
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
    EXPECT_EQ(stored("OtherLang"), QStringLiteral("1"));
    EXPECT_FALSE(rawSettings().contains(QStringLiteral("Settings/LangLibrary")));
    EXPECT_FALSE(window->otherLanguage());
    createWindow();
    EXPECT_FALSE(window->otherLanguage());
}

TEST_F(WizardTest, SettingsWithAnEmptyLibraryFolderOffersOnlyEnglish)
{
    writeAppFile(QStringLiteral("LangLibs/readme.txt"), "x");
    dialogs->answerDialog([&](QDialog &d) {
        EXPECT_EQ(child<QComboBox>(d, "cbLang")->count(), 0);
        EXPECT_FALSE(child<QRadioButton>(d, "optOther")->isEnabled());
        EXPECT_TRUE(child<QRadioButton>(d, "optEnglish")->isChecked());
        click(d, "btnOK");
    });
    QTest::mouseClick(ui().strip.btnOldSettings, Qt::LeftButton);
    EXPECT_EQ(stored("DefaultLang"), QStringLiteral("1"));
}

TEST_F(WizardTest, SettingsAboutPageLinkTurnsRedWhilePressedAndOpensTheMakersPage)
{
    dialogs->answerDialog([&](QDialog &d) {
        EXPECT_EQ(child<QLabel>(d, "lblAbout0")->text(),
            QStringLiteral("Marbleton HTML Editor Zephyro 2.0"));
        EXPECT_TRUE(child<QLabel>(d, "lblAbout1")
                        ->text()
                        .startsWith(QStringLiteral(
                            "Marbleton HTML Editor Zephyro 2.0 is an Zephyro web page creator")));
        EXPECT_FALSE(child<QLabel>(d, "imgZephyro")->pixmap().isNull());
        child<QTabWidget>(d, "tabSettings")->setCurrentIndex(1);
        QLabel *link = child<QLabel>(d, "lblAbout3");
        QTest::mousePress(link, Qt::LeftButton);
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_TRUE(shell->opened().isEmpty());
        QTest::mouseRelease(link, Qt::LeftButton);
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        click(d, "btnCancel");
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
    ASSERT_EQ(shell->opened().size(), 1);
    EXPECT_EQ(shell->opened()[0].toString(), QString::fromLatin1(kMakerAddress));
}

TEST_F(WizardTest, AnAssociationThatCannotBeWrittenIsShownAndStartUpGoesOn)
{
    // A file where the entries' folder belongs makes the desktop entry unwritable.
    const QString folder = FileAssociation::dataHome() + QStringLiteral("/applications");
    QDir(folder).removeRecursively();
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    createWindow(true, {}, [](ScriptedDialogs &d) { d.answerMessage(MessageAnswer::Ok); });
    QFile::remove(folder);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text,
        QStringLiteral("Failed to set data for '%1/marbleton-html-zephyro.desktop'").arg(folder));
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_EQ(title(), QStringLiteral("Marbleton HTML Editor Zephyro 2.0 - Start"));
}

// As an installed copy's data folder, one the program cannot write (here: missing) sends
// the user to their own folders.
TEST_F(WizardTest, AReadOnlyDataFolderUsesTheUsersOwnFolders)
{
    const QString templates = DataFolders::userDataFolder(QStringLiteral("Templates"));
    const QString libraries = DataFolders::userDataFolder(QStringLiteral("LangLibs"));
    const auto cleanUp = qScopeGuard([&] {
        QDir(templates).removeRecursively();
        QDir(libraries).removeRecursively();
    });
    for (const QString &file :
        {templates + QStringLiteral("/Mine.html"), libraries + QStringLiteral("/Mine.lng")}) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::WriteOnly));
        written.write("1000=Start\n");
    }
    dataFolder = appDir.filePath(QStringLiteral("missing/"));
    createWindow();
    ASSERT_EQ(ui().start.cbStyles->count(), 1);
    EXPECT_EQ(ui().start.cbStyles->itemText(0), QStringLiteral("Mine"));

    dialogs->answerDialog([&](QDialog &d) {
        QComboBox *cbLang = child<QComboBox>(d, "cbLang");
        ASSERT_EQ(cbLang->count(), 1);
        child<QRadioButton>(d, "optOther")->setChecked(true);
        cbLang->setCurrentIndex(0);
        click(d, "btnOK");
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
    EXPECT_EQ(stored("LangLibrary"), libraries + QStringLiteral("/Mine.lng"));

    dialogs->answerFile(QString());
    ui().save.optSavePWZ->setChecked(true);
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    ASSERT_EQ(dialogs->fileRequests().size(), 1);
    const QString projects = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        + QStringLiteral("/ZephyroFiles");
    EXPECT_EQ(dialogs->fileRequests().at(0).directory, projects);
    EXPECT_TRUE(QDir(projects).exists());
}
