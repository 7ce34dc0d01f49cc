#include "tfrmsettings.h"

#include "hinttracker.h"
#include "settingsstore.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 330;

const QString kProductName = QStringLiteral("Marbleton HTML Editor Zephyro 2.0");
const QString kDescription = QStringLiteral(
    "Marbleton HTML Editor Zephyro 2.0 is an Zephyro web page creator designed for the beginner "
    "in mind. It boast many options found in sophisticated web page design software, but no "
    "experience is needed to create a fantastic web page. Of course, the experienced user will "
    "appreciate the power of Marbleton HTML Editor Zephyro 2.0!");

const QString kSection = QString::fromLatin1(SettingsStore::kSettings);

QString libraryFileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QFrame *groupFrame(QWidget *parent, const QRect &geometry)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

template<class Button>
Button *option(QWidget *parent, const char *name, const QString &text, int tag, QPoint at)
{
    auto *button = ui::place(new Button(text, parent), name, QRect(at, QSize(300, 20)));
    ui::setTag(button, tag);
    return button;
}
} // namespace

TfrmSettings::TfrmSettings(const SettingsDialogContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setupUi();
    setFixedSize(kClientWidth, kClientHeight);
    FormCreate();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmSettings::setupUi()
{
    tabSettings = ui::place(new QTabWidget(this), "tabSettings", QRect(8, 8, 344, 282));
    pnlSettings = new QWidget;
    pnlSettings->setObjectName(QStringLiteral("pnlSettings"));
    // Panel hints, not tool tips: a tool tip would pop up over every control of the tab.
    HintTracker::setPanelHint(pnlSettings, QStringLiteral("Settings"));
    ui::setTag(pnlSettings, 1200);
    pnlAbout = new QWidget;
    pnlAbout->setObjectName(QStringLiteral("pnlAbout"));
    HintTracker::setPanelHint(pnlAbout, QStringLiteral("About"));
    ui::setTag(pnlAbout, 1201);
    tabSettings->addTab(pnlSettings, QStringLiteral("Settings"));
    tabSettings->addTab(pnlAbout, QStringLiteral("About"));
    tabSettings->setCurrentIndex(0);

    lblSettings0
        = ui::label(pnlSettings, "lblSettings0", QStringLiteral("General"), 1202, QPoint(8, 6));
    groupFrame(pnlSettings, QRect(8, 22, 322, 86));
    chkTextBR = option<QCheckBox>(pnlSettings, "chkTextBR",
        QStringLiteral("&Insert <BR> on text import"), 1204, QPoint(16, 30));
    chkWrap = option<QCheckBox>(pnlSettings, "chkWrap",
        QStringLiteral("&Wordwrap text area in Text window"), 1130, QPoint(16, 56));
    chkWrap->setChecked(true);
    chkOldButton = option<QCheckBox>(pnlSettings, "chkOldButton",
        QStringLiteral("&Use classic wizard style"), 1205, QPoint(16, 82));

    lblSettings1
        = ui::label(pnlSettings, "lblSettings1", QStringLiteral("Language"), 1203, QPoint(8, 118));
    groupFrame(pnlSettings, QRect(8, 134, 322, 104));
    optEnglish = option<QRadioButton>(
        pnlSettings, "optEnglish", QStringLiteral("&English (Default)"), 1206, QPoint(16, 142));
    optEnglish->setChecked(true);
    optOther = option<QRadioButton>(
        pnlSettings, "optOther", QStringLiteral("O&ther"), 1207, QPoint(16, 168));
    cbLang = ui::comboBox(pnlSettings, "cbLang", {}, false, QRect(36, 196, 220, 21));
    cbLang->setEnabled(false);
    lblSettings1->setBuddy(cbLang);

    lblAbout0 = ui::label(pnlAbout, "lblAbout0", QString(), 0, QRect(8, 8, 322, 18));
    QFont bold = lblAbout0->font();
    bold.setBold(true);
    lblAbout0->setFont(bold);
    imgZephyro = ui::label(pnlAbout, "imgZephyro", QString(), 0, QRect(8, 32, 48, 48));
    imgZephyro->setPixmap(QPixmap(ui::iconPath(QStringLiteral("zephyro"))));
    lblAbout1 = ui::label(pnlAbout, "lblAbout1", kDescription, 1602, QRect(64, 32, 266, 150));
    lblAbout1->setWordWrap(true);
    lblAbout1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAbout2 = ui::label(pnlAbout, "lblAbout2", QStringLiteral("Written by Marbleton Software"),
        1210, QRect(8, 196, 322, 18));
    lblAbout3 = ui::label(
        pnlAbout, "lblAbout3", QString::fromLatin1(kMakerAddress), 0, QRect(8, 220, 322, 18));
    QFont underlined = lblAbout3->font();
    underlined.setUnderline(true);
    lblAbout3->setFont(underlined);
    lblAbout3->setCursor(Qt::PointingHandCursor);
    setLinkColor(Qt::blue);
    lblAbout3->installEventFilter(this);

    btnOK = ui::pushButton(this, "btnOK", QStringLiteral("OK"), 1208, QRect(196, 298, 75, 25));
    btnOK->setDefault(true);
    btnCancel = ui::pushButton(
        this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect(277, 298, 75, 25));

    connect(optEnglish, &QRadioButton::toggled, this, &TfrmSettings::optOtherClick);
    connect(optOther, &QRadioButton::toggled, this, &TfrmSettings::optOtherClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmSettings::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSettings::FormCreate()
{
    ReadSettings();
    if (m_context.otherLanguage) {
        m_context.host.applyLanguage(this);
        tabSettings->setTabText(0, HintTracker::panelHint(pnlSettings));
        tabSettings->setTabText(1, HintTracker::panelHint(pnlAbout));
        // The caption is the settings tab's, so that it follows the translation.
        setWindowTitle(HintTracker::panelHint(pnlSettings));
    }
    // Libraries are chosen from the shipped folder and the user's own, where OK stores
    // them from.
    if (!m_context.languageLibraryPath.isEmpty())
        ListLanguageLibraries(m_context.host.dataFolders().searchPath(QStringLiteral("LangLibs")));
    if (optOther->isChecked() && !m_context.languageLibraryPath.isEmpty())
        selectCurrentLibrary();
    optOther->setEnabled(cbLang->count() > 0);
    lblAbout0->setText(kProductName);
}

void TfrmSettings::ReadSettings()
{
    SettingsStore store;
    chkTextBR->setChecked(store.readBool(kSection, QStringLiteral("FormatImports"), false));
    chkOldButton->setChecked(store.readBool(kSection, QStringLiteral("WizardStyle"), false));
    // A checked option cannot be cleared by the program, only replaced by the other one.
    if (store.readBool(kSection, QStringLiteral("DefaultLang"), true))
        optEnglish->setChecked(true);
    if (store.readBool(kSection, QStringLiteral("OtherLang"), false))
        optOther->setChecked(true);
    chkWrap->setChecked(store.readBool(kSection, QStringLiteral("WordWrap"), true));
    m_context.languageLibraryPath = store.readString(kSection, QStringLiteral("LangLibrary"),
        m_context.host.applicationDirectory() + QStringLiteral("LangLibs/"));
}

void TfrmSettings::ListLanguageLibraries(const QStringList &folders)
{
    // The user's library of a shipped one's name replaces it.
    for (const DataFolders::Entry &entry : DataFolders::merged(folders, QStringLiteral(".lng")))
        cbLang->addItem(libraryFileName(entry.path), entry.path);
}

void TfrmSettings::selectCurrentLibrary()
{
    cbLang->setCurrentIndex(
        cbLang->findText(libraryFileName(m_context.languageLibraryPath), Qt::MatchFixedString));
}

void TfrmSettings::optOtherClick()
{
    cbLang->setEnabled(optOther->isChecked());
    selectCurrentLibrary();
}

void TfrmSettings::btnOKClick()
{
    m_context.movePanels(chkOldButton->isChecked());
    m_context.host.showStep(1);
    m_context.setTextImport(chkTextBR->isChecked());
    if (WriteSettings())
        accept();
}

bool TfrmSettings::WriteSettings()
{
    SettingsStore store;
    const auto failed = [&] {
        m_context.host.dialogs().message(this, MessageKind::Error, store.error(), ButtonSet::Ok);
        return false;
    };
    if (!store.writeBool(kSection, QStringLiteral("FormatImports"), chkTextBR->isChecked())
        || !store.writeBool(kSection, QStringLiteral("WizardStyle"), chkOldButton->isChecked())
        || !store.writeBool(kSection, QStringLiteral("DefaultLang"), optEnglish->isChecked())
        || !store.writeBool(kSection, QStringLiteral("OtherLang"), optOther->isChecked()))
        return failed();

    if (!optOther->isChecked() || cbLang->currentIndex() < 0) {
        m_context.otherLanguage = false;
    } else {
        m_context.languageLibraryPath = cbLang->currentData().toString();
        if (!store.writeString(
                kSection, QStringLiteral("LangLibrary"), m_context.languageLibraryPath))
            return failed();
        m_context.otherLanguage = true;
    }

    if (!store.writeBool(kSection, QStringLiteral("WordWrap"), chkWrap->isChecked()))
        return failed();
    m_context.setWordWrap(chkWrap->isChecked());
    return true;
}

void TfrmSettings::setLinkColor(const QColor &color)
{
    QPalette palette = lblAbout3->palette();
    palette.setColor(QPalette::WindowText, color);
    lblAbout3->setPalette(palette);
}

bool TfrmSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblAbout3) {
        if (event->type() == QEvent::MouseButtonPress) {
            setLinkColor(Qt::red);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            setLinkColor(Qt::blue);
            // A click is a release over the label, as with any button.
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (lblAbout3->rect().contains(mouse->position().toPoint()))
                m_context.openBrowser(QString::fromLatin1(kMakerAddress));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
