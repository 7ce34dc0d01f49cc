#include "wizardfixture.h"

#include "certificatedialog.h"
#include "colorpalette.h"
#include "formtranslator.h"
#include "hinttracker.h"
#include "languagelibrary.h"
#include "resourcemodule.h"
#include "stepnavigation.h"
#include "tfrmlinks.h"
#include "tfrmmisc.h"
#include "tfrmserverprofile.h"
#include "tshape.h"
#include "uibuilder.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <set>

namespace {

// The numbers of the settings dialog, which is built elsewhere.
const int kSettingsDialogNumbers[]
    = {1130, 1200, 1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208, 1209, 1210, 1602};

// Column captions of the two lists: the library numbers that no control carries.
const int kColumnNumbers[] = {1026, 1027, 1048, 1049, 1139, 1140, 1141};

QString marker(int number)
{
    return QStringLiteral("«%1»").arg(number);
}

// What a control shows of its texts, whatever its kind.
QString shownTexts(const QObject *object)
{
    QStringList texts;
    if (const auto *label = qobject_cast<const QLabel *>(object))
        texts << label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(object))
        texts << button->text();
    if (const auto *action = qobject_cast<const QAction *>(object))
        texts << action->text();
    if (const auto *menu = qobject_cast<const QMenu *>(object))
        texts << menu->title();
    if (const auto *widget = qobject_cast<const QWidget *>(object))
        texts << widget->toolTip() << HintTracker::panelHint(widget);
    return texts.join(QLatin1Char('\n'));
}

std::set<int> carriedNumbers(const QWidget *window)
{
    std::set<int> numbers;
    for (const QObject *object : window->findChildren<QObject *>()) {
        if (ui::tagOf(object) >= 1000)
            numbers.insert(ui::tagOf(object));
    }
    return numbers;
}

} // namespace

class LanguageTest : public WizardTest {
protected:
    void TearDown() override
    {
        QSettings().remove(QStringLiteral("Settings"));
        WizardTest::TearDown();
    }

    void chooseLibrary(const QString &path)
    {
        QSettings settings;
        settings.setValue(QStringLiteral("Settings/LangLibrary"), path);
        settings.setValue(QStringLiteral("Settings/OtherLang"), QStringLiteral("1"));
    }
    // Starts the main window with a library of these bytes.
    void startWith(const QByteArray &library)
    {
        chooseLibrary(writeAppFile(QStringLiteral("LangLibs/Test.lng"), library));
        createWindow();
    }

    // Every window that applies a library as it is created, besides the main window.
    std::vector<std::unique_ptr<QWidget>> createDialogs()
    {
        std::vector<std::unique_ptr<QWidget>> dialogs;
        const LinkEditorContext context {*window, {}, {}, {}};
        for (const auto mode :
            {TfrmLinks::Mode::NewLink, TfrmLinks::Mode::EditLink, TfrmLinks::Mode::Fonts})
            dialogs.push_back(std::make_unique<TfrmLinks>(mode, context, window.get()));
        dialogs.push_back(std::make_unique<TfrmMisc>(ui().links.lvLinks, *window, window.get()));
        dialogs.push_back(
            std::make_unique<TfrmServerProfile>(*window, ui().upload.cbSites, window.get()));
        CertificatePrompt prompt;
        prompt.translate = [this](QWidget *dialog) { window->applyLanguage(dialog); };
        dialogs.push_back(std::make_unique<CertificateDialog>(prompt, window.get()));
        return dialogs;
    }

    // Every number a window or the message table carries, and the settings dialog's.
    std::set<int> everyNumber()
    {
        std::set<int> numbers = carriedNumbers(window.get());
        for (const auto &dialog : createDialogs())
            numbers.merge(carriedNumbers(dialog.get()));
        for (const int number : window->messages().numbers())
            numbers.insert(number);
        numbers.insert(std::begin(kSettingsDialogNumbers), std::end(kSettingsDialogNumbers));
        numbers.insert(std::begin(kColumnNumbers), std::end(kColumnNumbers));
        return numbers;
    }
};

TEST_F(LanguageTest, ButtonsSplitHintAndCaptionByKind)
{
    struct Case {
        const char *name;
        int number;
        const char *entry;
        const char *hint;
        const char *caption;
    } cases[] = {
        // Push buttons: a bare text is the caption.
        {"btnPWZ", 1031, "Öffnen|Datei &öffnen", "Öffnen", "Datei &öffnen"},
        {"cmdNext", 1117, "&Weiter >", "", "&Weiter >"},
        // Flat tool buttons: a bare text is the hint.
        {"btnTB1", 1000, "Schritt 1|Beginn", "Schritt 1", "Beginn"},
        {"btnMetaAdd", 1023, "Hinzufügen", "Hinzufügen", ""},
        // Only the first bar splits.
        {"btnTB2", 1001, "Schritt 2|Farben|bunt", "Schritt 2", "Farben|bunt"},
    };
    QByteArray table;
    QMap<int, QString> entries;
    for (const Case &c : cases) {
        table += QByteArray::number(c.number) + '=' + c.entry + '\n';
        entries.insert(c.number, QString::fromUtf8(c.entry));
    }
    std::map<std::string, std::pair<QString, QString>> english;
    for (const Case &c : cases) {
        const auto *button = find<QAbstractButton>(c.name);
        english[c.name] = {button->toolTip(), button->text()};
    }
    // Both forms of library, the Windows one built here as a resource compiler would.
    for (const QByteArray &library : {table, buildResourceModule(entries)}) {
        startWith(library);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            const auto *button = find<QAbstractButton>(c.name);
            const auto &[hint, caption] = english[c.name];
            EXPECT_EQ(button->toolTip(), *c.hint ? QString::fromUtf8(c.hint) : hint);
            EXPECT_EQ(button->text(), *c.caption ? QString::fromUtf8(c.caption) : caption);
        }
    }
}

TEST_F(LanguageTest, LongTextsAreCutAndMissingNumbersChangeNothing)
{
    const QString englishOpen = ui().start.btnPWZ->text();
    const QString englishTab = ui().start.tbStyles->tabText(1);
    startWith("1131=" + QByteArray(300, 'x') + "\n1016=Seite\n");
    EXPECT_EQ(ui().start.lblMeta1->text(), QString(255, QLatin1Char('x')));
    EXPECT_EQ(ui().start.lblMeta1->size(), ui().start.lblMeta1->sizeHint())
        << "sized to the translation";
    EXPECT_EQ(ui().start.tbStyles->tabText(0), QStringLiteral("Seite"));
    EXPECT_EQ(ui().start.btnPWZ->text(), englishOpen);
    EXPECT_EQ(ui().start.tbStyles->tabText(1), englishTab);
    EXPECT_EQ(
        window->messageText(1124), QStringLiteral("Would you like to make another web page?"));
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(LanguageTest, EnglishOpensNoLibrary)
{
    chooseLibrary(writeAppFile(QStringLiteral("LangLibs/Test.lng"), "1031=Öffnen\n"));
    QSettings().setValue(QStringLiteral("Settings/OtherLang"), QStringLiteral("0"));
    createWindow();
    EXPECT_EQ(ui().start.btnPWZ->text(), QStringLiteral("&Open Zephyro File"));
}

TEST_F(LanguageTest, AMissingLibraryIsReportedOncePerWindow)
{
    const QString englishOpen = ui().start.btnPWZ->text();
    chooseLibrary(appDir.filePath(QStringLiteral("LangLibs/Missing.lng")));
    createWindow(true, {}, [](ScriptedDialogs &d) { d.answerMessage(MessageAnswer::Ok); });
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Could not load language library!"));
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(ui().start.btnPWZ->text(), englishOpen);

    for (int i = 0; i < 6; ++i)
        dialogs->answerMessage(MessageAnswer::Ok);
    const auto created = createDialogs();
    EXPECT_EQ(dialogs->messages().size(), 7);
    for (const auto &message : dialogs->messages())
        EXPECT_EQ(message.text, QStringLiteral("Could not load language library!"));
}

TEST_F(LanguageTest, EveryWindowIsTranslated)
{
    QByteArray library;
    for (const int number : everyNumber())
        library += QByteArray::number(number) + "=" + marker(number).toUtf8() + "|"
            + marker(number).toUtf8() + "\n";
    startWith(library);

    const auto check = [](const QWidget *translated) {
        for (const QObject *object : translated->findChildren<QObject *>()) {
            const int number = ui::tagOf(object);
            if (number >= 1000) {
                EXPECT_TRUE(shownTexts(object).contains(marker(number)))
                    << object->objectName().toStdString() << " " << number;
            }
        }
    };
    check(window.get());
    for (const auto &dialog : createDialogs())
        check(dialog.get());
    for (const int number : window->messages().numbers())
        EXPECT_TRUE(window->messageText(number).contains(marker(number))) << number;

    // The main window's fix-ups, from the texts just applied.
    EXPECT_TRUE(ui().start.tbStyles->tabText(0).contains(marker(1016)));
    EXPECT_TRUE(ui().start.tbStyles->tabText(1).contains(marker(1017)));
    const int columns[] = {1048, 1049, 1139, 1140, 1141};
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(ui().links.lvLinks->headerItem()->text(i).contains(marker(columns[i]))) << i;
    EXPECT_TRUE(ui().start.lvMeta->headerItem()->text(1).contains(marker(1027)));
    EXPECT_EQ(ui().bullets.btnBulletImport->toolTip(), ui().text.btnTextImport->toolTip());
    EXPECT_EQ(ui().bullets.btnBulletLinks->toolTip(), ui().text.btnTextLink->toolTip());
    EXPECT_TRUE(ui().colors.lblColor[0]->text().contains(marker(1129)));
    EXPECT_EQ(ui().colors.lblColor[3]->text(), ui().colors.lblALink->text());
    EXPECT_TRUE(ui().upload.lblUpload3->text().contains(marker(1091)));
}

TEST_F(LanguageTest, AFileWithoutAnEntryIsReportedAndChangesNothing)
{
    QByteArray noise(2048, Qt::Uninitialized);
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    const QByteArray module = buildResourceModule(QMap<int, QString> {{1031, u"Öffnen"_qs}});
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"random bytes", noise},
        {"a text table cut in its first line", "# Deutsch\n1031"},
        {"a resource module cut after its headers", module.first(512)},
    };
    const QString englishOpen = ui().start.btnPWZ->text();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        chooseLibrary(writeAppFile(QStringLiteral("LangLibs/Test.lng"), c.bytes));
        createWindow(true, {}, [](ScriptedDialogs &d) { d.answerMessage(MessageAnswer::Ok); });
        ASSERT_EQ(dialogs->messages().size(), 1);
        EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Could not load language library!"));
        EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
        EXPECT_EQ(ui().start.btnPWZ->text(), englishOpen);
    }
}

// The margin and the palette's custom button, which showed English or an FTP error.
TEST_F(LanguageTest, ShippedLibrariesTranslateTheMarginAndTheCustomButton)
{
    const struct {
        const char *file;
        const char *margin;
        const char *pixels;
        const char *custom;
    } cases[] = {
        {"Deutsch.lng", "&Linken Seitenrand erstellen", "Pixel breit", "Eigene..."},
        {"Espanol.lng", "Crear un margen &izquierdo en la página", "píxeles de ancho",
            "Personalizado..."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        chooseLibrary(QStringLiteral(ZEPHYRO_SOURCE_DIR "/data/LangLibs/") + QLatin1String(c.file));
        createWindow();
        EXPECT_EQ(ui().start.chkIndent->text(), QString::fromUtf8(c.margin));
        EXPECT_EQ(ui().start.lblIndent->text(), QString::fromUtf8(c.pixels));
        const QAbstractButton *custom = ui().colors.pnlColors->button(0);
        EXPECT_EQ(custom->text(), QString::fromUtf8(c.custom));
        EXPECT_EQ(custom->toolTip(), QString::fromUtf8(c.custom));
    }
}

TEST_F(LanguageTest, StepLabelAndHoverFollowTheTranslatedHints)
{
    startWith("1000=Erster Schritt|Start\n1003=Vierter Schritt|Verweise\n");
    EXPECT_EQ(ui().strip.lblStep->text(), QStringLiteral("Erster Schritt"));
    EXPECT_EQ(ui().strip.btnTB[0]->text(), QStringLiteral("Start"));
    const QColor face = window->palette().color(QPalette::Button);
    QTest::mouseMove(ui().strip.btnTB[3]);
    EXPECT_EQ(ui().strip.shpTB[3]->fillColor(), face);
    QTest::mouseClick(ui().strip.btnTB[3], Qt::LeftButton);
    EXPECT_EQ(ui().strip.lblStep->text(), QStringLiteral("Vierter Schritt"));

    // A dialog created on step 4 leaves the main window's label and upload status alone.
    const QString status = ui().upload.lblUpload3->text();
    const auto created = createDialogs();
    EXPECT_EQ(ui().strip.lblStep->text(), QStringLiteral("Vierter Schritt"));
    EXPECT_EQ(ui().upload.lblUpload3->text(), status);
}

// A push button's entry without "|" replaces only its caption: one that has a hint of its
// own would keep it in English.
TEST_F(LanguageTest, ShippedLibrariesGiveHintedPushButtonsTheirHint)
{
    std::set<int> hinted;
    const auto collect = [&hinted](const QWidget *window) {
        for (const QPushButton *button : window->findChildren<QPushButton *>()) {
            // A disabled button's tip says why it is disabled, a message of its own.
            if (ui::tagOf(button) >= 1000 && button->isEnabled() && !button->toolTip().isEmpty())
                hinted.insert(ui::tagOf(button));
        }
    };
    collect(window.get());
    for (const auto &dialog : createDialogs())
        collect(dialog.get());
    ASSERT_FALSE(hinted.empty());
    const QDir folder(QStringLiteral(ZEPHYRO_SOURCE_DIR "/data/LangLibs"));
    for (const QString &file : folder.entryList({QStringLiteral("*.lng")}, QDir::Files)) {
        SCOPED_TRACE(file.toStdString());
        const auto texts = LanguageLibrary::load(folder.filePath(file));
        ASSERT_TRUE(texts.has_value());
        for (const int number : hinted)
            EXPECT_TRUE(texts->value(number).contains(QLatin1Char('|'))) << number;
    }
}

TEST_F(LanguageTest, ShippedLibrariesAreComplete)
{
    const std::set<int> numbers = everyNumber();
    const QDir folder(QStringLiteral(ZEPHYRO_SOURCE_DIR "/data/LangLibs"));
    const QStringList files = folder.entryList({QStringLiteral("*.lng")}, QDir::Files);
    ASSERT_GE(files.size(), 2);
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const auto texts = LanguageLibrary::load(folder.filePath(file));
        ASSERT_TRUE(texts.has_value());
        for (const int number : numbers)
            EXPECT_TRUE(texts->contains(number) && !texts->value(number).isEmpty()) << number;
    }
}

namespace {

// Texts no library replaces: the product's name and the maker's address.
bool isFixedText(const QString &text)
{
    return text == QLatin1String("Marbleton HTML Editor Zephyro 2.0")
        || text.startsWith(QLatin1String("https://"));
}

// Every text of a window that a user sees or hears, with where it shows, that holds no
// marker. What the user types or picks (edits, list rows, drop-down items) is the page's
// content and never translated; texts without a letter ("120", "...") need no translation.
QStringList untranslatedTexts(QWidget *window)
{
    QStringList found;
    const auto note = [&found](const QObject *object, const char *where, const QString &text) {
        const bool hasLetter
            = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        if (hasLetter && !text.contains(QChar(0xAB)) && !isFixedText(text))
            found << QStringLiteral("%1 %2: %3")
                         .arg(object->objectName(), QLatin1String(where), text);
    };
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        // The tab bar's own scroll buttons, which Qt names in the system's language.
        if (widget->objectName().startsWith(QLatin1String("Scroll"))
            && qobject_cast<const QTabBar *>(widget->parentWidget()))
            continue;
        note(widget, "tool tip", widget->toolTip());
        if (widget->isWindow())
            note(widget, "title", widget->windowTitle());
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            note(widget, "text", label->text());
        if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            note(widget, "text", button->text());
        if (const auto *menu = qobject_cast<const QMenu *>(widget))
            note(widget, "title", menu->title());
        if (const auto *tabs = qobject_cast<const QTabWidget *>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                note(widget, "tab", tabs->tabText(i));
        }
        if (const auto *list = qobject_cast<const QTreeWidget *>(widget)) {
            for (int i = 0; i < list->columnCount(); ++i)
                note(widget, "column", list->headerItem()->text(i));
        }
        if (QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget)) {
            // A drop-down list and an edit are named by their content unless labelled.
            const bool content = qobject_cast<const QComboBox *>(widget)
                || qobject_cast<const QLineEdit *>(widget);
            if (!content)
                note(widget, "accessible name", accessible->text(QAccessible::Name));
            note(widget, "accessible description", accessible->text(QAccessible::Description));
        }
    }
    for (const QAction *action : window->findChildren<QAction *>()) {
        note(action, "menu item", action->text());
        note(action, "tool tip", action->toolTip());
    }
    return found;
}

} // namespace

// A library that translates every number leaves no English a user can see or hear, in the
// main window or any dialog.
TEST_F(LanguageTest, EveryVisibleTextHasANumber)
{
    QByteArray library;
    for (int number = 1000; number < 2000; ++number)
        library += QByteArray::number(number) + "=" + marker(number).toUtf8() + "|"
            + marker(number).toUtf8() + "\n";
    startWith(library);

    QStringList untranslated = untranslatedTexts(window.get());
    for (const auto &dialog : createDialogs())
        untranslated += untranslatedTexts(dialog.get());
    dialogs->answerDialog([&](QDialog &d) {
        untranslated += untranslatedTexts(&d);
        d.reject();
    });
    QTest::mouseClick(ui().strip.btnSettings, Qt::LeftButton);
    EXPECT_EQ(dialogs->dialogsRun().size(), 1);
    EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join(u'\n').toStdString();
}
struct StartupReportCase {
    const char *name;
    bool missingLibrary; // else a project on the command line that is not there
    const char *text;
};

void PrintTo(const StartupReportCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartupReportTest : public LanguageTest,
                          public ::testing::WithParamInterface<StartupReportCase> {};

TEST_P(StartupReportTest, ShowsOverTheWindowOnceItIsOnTheScreen)
{
    const StartupReportCase &c = GetParam();
    QStringList arguments;
    const QString missing = appDir.filePath(QStringLiteral("missing.pwz"));
    if (c.missingLibrary)
        chooseLibrary(appDir.filePath(QStringLiteral("LangLibs/Missing.lng")));
    else
        arguments << missing;
    createWindow(true, arguments, [](ScriptedDialogs &d) { d.answerMessage(MessageAnswer::Ok); });

    ASSERT_EQ(dialogs->messages().size(), 1);
    const ScriptedDialogs::Message &shown = dialogs->messages()[0];
    EXPECT_EQ(shown.kind, MessageKind::Error);
    EXPECT_EQ(shown.text, QString::fromLatin1(c.text) + (c.missingLibrary ? QString() : missing));
    EXPECT_TRUE(shown.ownerShown);
}

INSTANTIATE_TEST_SUITE_P(Reports, StartupReportTest,
    ::testing::Values(
        StartupReportCase {"LanguageLibrary", true, "Could not load language library!"},
        StartupReportCase {"ProjectFile", false, "Cannot open file "}),
    [](const auto &info) { return std::string(info.param.name); });

struct PictureHintCase {
    const char *name;
    bool linkEditor; // the link editor's button; else one of steps 2 and 3
    int number;
    const char *english;
};

void PrintTo(const PictureHintCase &c, std::ostream *os)
{
    *os << c.name;
}

class PictureHintTest : public LanguageTest, public ::testing::WithParamInterface<PictureHintCase> {
protected:
    QString hintShown()
    {
        const PictureHintCase &c = GetParam();
        if (!c.linkEditor)
            return find<QToolButton>(c.name)->toolTip();
        const LinkEditorContext context {*window, {}, {}, {}};
        TfrmLinks editor(TfrmLinks::Mode::NewLink, context, window.get());
        QToolButton *button = child<QToolButton>(editor, c.name);
        return button != nullptr ? button->toolTip() : QString();
    }
};

TEST_P(PictureHintTest, ToolButtonSaysWhatItDoesInTheChosenLanguage)
{
    const PictureHintCase &c = GetParam();
    EXPECT_EQ(hintShown(), QString::fromLatin1(c.english));

    startWith(QByteArray::number(c.number) + "=" + marker(c.number).toUtf8() + "\n");
    EXPECT_EQ(hintShown(), marker(c.number));
}

INSTANTIATE_TEST_SUITE_P(Buttons, PictureHintTest,
    ::testing::Values(PictureHintCase {"btnBGImg", false, 1520, "Choose a background image"},
        PictureHintCase {"btnBGClear", false, 1521, "Clear the background image"},
        PictureHintCase {"btnImage", false, 1522, "Choose an image for the page"},
        PictureHintCase {"btnImgClear", false, 1523, "Clear the image"},
        PictureHintCase {"btnImageClear", true, 1524, "Clear the link's image"}),
    [](const auto &info) { return std::string(info.param.name); });
