// The controls of steps 1 to 6: the page's answers live here.
#include "qtcolor.h"
#include "wizardui.h"

#include "colorpalette.h"
#include "hinttracker.h"
#include "messagetable.h"
#include "pagecolors.h"
#include "pagemodel.h"
#include "pictureplacement.h"
#include "tshape.h"
#include "uibuilder.h"
#include "updown.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <array>

namespace {

constexpr int kTool = 26; // side of a step's tool bar button

QRect tool(int x, int y)
{
    return QRect(x, y, kTool, kTool);
}

// The lists whose items the project file and the page name by their text.
template<std::size_t N> QStringList itemTexts(const std::array<const char16_t *, N> &items)
{
    QStringList texts;
    for (const char16_t *item : items)
        texts << QString::fromUtf16(item);
    return texts;
}

QPalette workspacePalette(QPalette palette)
{
    palette.setColor(QPalette::Window, kAppWorkspaceColor);
    return palette;
}

} // namespace

void StartControls::setup(QWidget *page)
{
    tbStyles = ui::place(new QTabWidget(page), "tbStyles", QRect(0, 0, 380, 255));
    pnlStyles0 = new QWidget;
    pnlStyles0->setObjectName(QStringLiteral("pnlStyles0"));
    HintTracker::setPanelHint(pnlStyles0, QStringLiteral("Page Properties"));
    ui::setTag(pnlStyles0, 1016);
    pnlStyles1 = new QWidget;
    pnlStyles1->setObjectName(QStringLiteral("pnlStyles1"));
    HintTracker::setPanelHint(pnlStyles1, QStringLiteral("Meta Tags"));
    ui::setTag(pnlStyles1, 1017);
    tbStyles->addTab(pnlStyles0, HintTracker::panelHint(pnlStyles0));
    tbStyles->addTab(pnlStyles1, HintTracker::panelHint(pnlStyles1));

    QWidget *props = pnlStyles0;
    lblStyles0 = ui::label(props, "lblStyles0", QStringLiteral("&Templates"), 1018, QPoint(8, 8));
    cbStyles = ui::comboBox(props, "cbStyles", {}, false, QRect(8, 24, 200, 22));
    lblStyles0->setBuddy(cbStyles);

    // The preview lies on a square of the workspace colour over its caption, which shows
    // through whenever there is no picture.
    shpStyles = ui::place(new TShape(props), "shpStyles", QRect(240, 8, 124, 124));
    shpStyles->setFillColor(kAppWorkspaceColor);
    // Exactly under the picture, so that a picture hides all of it.
    lblStyles4 = ui::label(
        props, "lblStyles4", QStringLiteral("Select a Template"), 1022, QRect(264, 22, 75, 95));
    lblStyles4->setAlignment(Qt::AlignCenter);
    lblStyles4->setWordWrap(true);
    imgStyles = ui::place(new QLabel(props), "imgStyles", QRect(264, 22, 75, 95));
    imgStyles->setScaledContents(true);

    lblStyles1
        = ui::label(props, "lblStyles1", QStringLiteral("Page &Title:"), 1019, QPoint(8, 54));
    txtPageTitle = ui::lineEdit(props, "txtPageTitle", QRect(8, 70, 220, 21));
    lblStyles1->setBuddy(txtPageTitle);
    lblStyles2 = ui::label(props, "lblStyles2", QStringLiteral("&Heading:"), 1020, QPoint(8, 98));
    txtHeading = ui::lineEdit(props, "txtHeading", QRect(8, 114, 160, 21));
    lblStyles2->setBuddy(txtHeading);
    lblStyles3 = ui::label(props, "lblStyles3", QStringLiteral("Si&ze:"), 1021, QPoint(176, 98));
    cbHeadSize = ui::comboBox(props, "cbHeadSize",
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
            QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")},
        true, QRect(176, 114, 52, 22));
    lblStyles3->setBuddy(cbHeadSize);

    chkIndent = ui::place(new QCheckBox(QStringLiteral("Create a &Left page margin"), props),
        "chkIndent", QRect(8, 150, 220, 20));
    ui::setTag(chkIndent, 1600);
    txtIndent = ui::lineEdit(props, "txtIndent", QRect(26, 174, 44, 21));
    txtIndent->setText(QStringLiteral("120"));
    upDown = ui::place(new UpDown(txtIndent, 0, 300, 120, props), "UpDown", QRect(70, 174, 16, 21));
    lblIndent = ui::label(props, "lblIndent", QStringLiteral("pixels wide"), 1601, QPoint(92, 177));
    txtIndent->setEnabled(false);
    upDown->setEnabled(false);

    QWidget *meta = pnlStyles1;
    lblMeta = ui::label(meta, "lblMeta", QStringLiteral("&Name:"), 1025, QPoint(8, 10));
    cbMeta = ui::comboBox(meta, "cbMeta",
        {QStringLiteral("Description"), QStringLiteral("Keywords"), QStringLiteral("Pics-Label"),
            QStringLiteral("Expires"), QStringLiteral("Reply-to")},
        false, QRect(50, 6, 120, 22));
    lblMeta->setBuddy(cbMeta);
    btnMetaAdd = ui::flatButton(
        meta, "btnMetaAdd", QStringLiteral("add"), QStringLiteral("Add"), 1023, tool(180, 4));
    btnMetaDelete = ui::flatButton(meta, "btnMetaDelete", QStringLiteral("delete"),
        QStringLiteral("Delete"), 1024, tool(208, 4));
    btnMetaDelete->setEnabled(false);
    lvMeta = ui::place(new QTreeWidget(meta), "lvMeta", QRect(8, 36, 356, 160));
    lvMeta->setColumnCount(2);
    lvMeta->setHeaderLabels({QStringLiteral("Content"), QStringLiteral("Name")});
    lvMeta->setColumnWidth(0, 260);
    lvMeta->setColumnWidth(1, 90);
    lvMeta->setRootIsDecorated(false);
    lvMeta->setSelectionBehavior(QAbstractItemView::SelectRows);
    lblMeta1 = ui::label(meta, "lblMeta1",
        QStringLiteral("Meta Tags are how Search Engines find your webpage."), 1131,
        QPoint(8, 204));
    QPalette note = lblMeta1->palette();
    note.setColor(QPalette::WindowText, Qt::blue);
    lblMeta1->setPalette(note);

    btnPWZ = ui::pushButton(
        page, "btnPWZ", QStringLiteral("&Open Zephyro File"), 1031, QRect(0, 264, 130, 25));
    btnClearWiz = ui::pushButton(
        page, "btnClearWiz", QStringLiteral("&Reset Zephyro"), 1032, QRect(250, 264, 130, 25));
}

void ColorsControls::setup(QWidget *page)
{
    QToolButton **buttons[5] = {&btnBG, &btnText, &btnLink, &btnALink, &btnVLink};
    const char *buttonNames[5] = {"btnBG", "btnText", "btnLink", "btnALink", "btnVLink"};
    const char *labels[5] = {
        "Background Color", "Text Color", "Link Color", "Active Link Color", "Visited Link Color"};
    for (int i = 0; i < 5; ++i) {
        QToolButton *button
            = ui::place(new QToolButton(page), buttonNames[i], QRect(8, 8 + 30 * i, 28, 22));
        button->setArrowType(Qt::DownArrow);
        *buttons[i] = button;
        const QByteArray name = "lblColor" + QByteArray::number(i);
        lblColor[i] = ui::label(
            page, name.constData(), QString::fromLatin1(labels[i]), 0, QPoint(42, 12 + 30 * i));
    }

    shpBG = ui::place(new TShape(page), "shpBG", QRect(170, 8, 202, 151));
    shpBG->setPen(Qt::black, 1);
    shpBG->setFillColor(toQColor(defaultPageColor(ColorKind::Background)));
    shpBG->setToolTip(QString::fromLatin1(labels[0]));
    ui::setTag(shpBG, 1129);
    QLabel **previews[4] = {&lblText, &lblLink, &lblALink, &lblVLink};
    const char *previewNames[4] = {"lblText", "lblLink", "lblALink", "lblVLink"};
    for (int i = 0; i < 4; ++i) {
        QLabel *preview = ui::label(page, previewNames[i], QString::fromLatin1(labels[i + 1]),
            1033 + i, QPoint(180, 28 + 30 * i));
        QPalette ink = preview->palette();
        ink.setColor(QPalette::WindowText,
            toQColor(defaultPageColor(kColorKinds[static_cast<std::size_t>(i) + 1])));
        preview->setPalette(ink);
        if (i > 0) {
            QFont underlined = preview->font();
            underlined.setUnderline(true);
            preview->setFont(underlined);
        }
        *previews[i] = preview;
    }
    imgBGImage = ui::place(new QLabel(page), "imgBGImage", QRect(317, 8, 54, 151));
    imgBGImage->setScaledContents(true);

    lblBGImage
        = ui::label(page, "lblBGImage", QStringLiteral("&Background Image"), 1037, QPoint(8, 176));
    txtBGImage = ui::lineEdit(page, "txtBGImage", QRect(8, 192, 250, 21));
    lblBGImage->setBuddy(txtBGImage);
    btnBGImg = ui::flatButton(page, "btnBGImg", QStringLiteral("open"),
        MessageTable::englishText(Msg::HintChooseBackground), Msg::HintChooseBackground,
        QRect(262, 191, 24, 23));
    btnBGClear = ui::flatButton(page, "btnBGClear", QStringLiteral("clear"),
        MessageTable::englishText(Msg::HintClearBackground), Msg::HintClearBackground,
        QRect(288, 191, 24, 23));
    // Last, so that it drops down over everything else of the step.
    pnlColors = new ColorPalette(page);
}

void ImagesControls::setup(QWidget *page)
{
    lblImage2 = ui::label(page, "lblImage2", QStringLiteral("Include I&mage"), 1041, QPoint(8, 6));
    txtImage = ui::lineEdit(page, "txtImage", QRect(8, 22, 200, 21));
    lblImage2->setBuddy(txtImage);
    btnImage = ui::flatButton(page, "btnImage", {}, MessageTable::englishText(Msg::HintChooseImage),
        Msg::HintChooseImage, QRect(212, 21, 24, 23));
    btnImgClear = ui::flatButton(page, "btnImgClear", QStringLiteral("clear"),
        MessageTable::englishText(Msg::HintClearImage), Msg::HintClearImage,
        QRect(238, 21, 24, 23));

    lblImage3
        = ui::label(page, "lblImage3", QStringLiteral("Image Dimensions"), 1040, QPoint(272, 4));
    lblImage1 = ui::label(page, "lblImage1", QStringLiteral("&Height:"), 1039, QPoint(272, 25));
    txtImageH = ui::lineEdit(page, "txtImageH", QRect(322, 22, 48, 21));
    lblImage1->setBuddy(txtImageH);
    lblImage0 = ui::label(page, "lblImage0", QStringLiteral("&Width:"), 1038, QPoint(272, 51));
    txtImageW = ui::lineEdit(page, "txtImageW", QRect(322, 48, 48, 21));
    lblImage0->setBuddy(txtImageW);

    sbImages = ui::place(new QScrollArea(page), "sbImages", QRect(9, 78, 362, 208));
    sbImages->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sbImages->setLineWidth(2);
    sbImages->setBackgroundRole(QPalette::Window);
    sbImages->setPalette(workspacePalette(sbImages->palette()));
    auto *canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("sbImagesCanvas"));
    canvas->setAutoFillBackground(true);
    canvas->setPalette(workspacePalette(canvas->palette()));
    canvas->resize(PicturePlacement::kImageBoxClient);
    imgImage = ui::place(new QLabel(canvas), "imgImage", QRect(0, 0, 50, 50));
    sbImages->setWidget(canvas);
}

void LinksControls::setup(QWidget *page)
{
    btnLinkNew = ui::flatButton(page, "btnLinkNew", QStringLiteral("add"),
        QStringLiteral("Add New Link"), 1042, tool(8, 4));
    btnLinkEdit = ui::flatButton(page, "btnLinkEdit", QStringLiteral("edit"),
        QStringLiteral("Edit Link"), 1043, tool(34, 4));
    btnLinkDel = ui::flatButton(page, "btnLinkDel", QStringLiteral("delete"),
        QStringLiteral("Delete Link"), 1044, tool(60, 4));
    btnMoveUp = ui::flatButton(
        page, "btnMoveUp", QStringLiteral("up"), QStringLiteral("Move Up"), 1045, tool(92, 4));
    btnMoveDown = ui::flatButton(page, "btnMoveDown", QStringLiteral("down"),
        QStringLiteral("Move Down"), 1046, tool(118, 4));
    for (QToolButton *button : {btnLinkEdit, btnLinkDel, btnMoveUp, btnMoveDown})
        button->setEnabled(false);

    lvLinks = ui::place(new QTreeWidget(page), "lvLinks", QRect(8, 34, 364, 222));
    lvLinks->setColumnCount(5);
    lvLinks->setHeaderLabels({QStringLiteral("Link Address (URL)"), QStringLiteral("Description"),
        QStringLiteral("Image"), QStringLiteral("Height"), QStringLiteral("Width")});
    lvLinks->setColumnWidth(0, 190);
    lvLinks->setColumnWidth(1, 190);
    lvLinks->setColumnWidth(2, 150);
    lvLinks->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    lvLinks->headerItem()->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    lvLinks->setRootIsDecorated(false);
    lvLinks->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvLinks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLinks->header()->setSectionsClickable(false);

    lblLinkStyle
        = ui::label(page, "lblLinkStyle", QStringLiteral("Link &Style:"), 1047, QPoint(8, 267));
    cbLinks = ui::comboBox(page, "cbLinks", itemTexts(kLinkStyles), false, QRect(80, 263, 140, 22));
    lblLinkStyle->setBuddy(cbLinks);

    mnuLV = new QMenu(lvLinks);
    mnuLV->setObjectName(QStringLiteral("mnuLV"));
    const auto item = [this](const char *name, const char *text, int tag) {
        QAction *action = mnuLV->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        ui::setTag(action, tag);
        return action;
    };
    mnuEdit = item("mnuEdit", "&Edit...", 1050);
    mnuLV->setDefaultAction(mnuEdit);
    mnuLV->addSeparator();
    mnuMoveUp = item("mnuMoveUp", "Move &Up", 1051);
    mnuMoveDown = item("mnuMoveDown", "Move Do&wn", 1052);
    mnuDelete = item("mnuDelete", "&Delete", 1053);
    mnuLV->addSeparator();
    mnuCancel = item("mnuCancel", "&Cancel", 1054);
}

void TextControls::setup(QWidget *page)
{
    btnTextImport = ui::flatButton(page, "btnTextImport", QStringLiteral("import"),
        QStringLiteral("Import Text File"), 1055, tool(8, 4));
    btnBold = ui::flatButton(
        page, "btnBold", QStringLiteral("bold"), QStringLiteral("Bold"), 1056, tool(40, 4));
    btnItalic = ui::flatButton(
        page, "btnItalic", QStringLiteral("italic"), QStringLiteral("Italic"), 1057, tool(66, 4));
    btnUnderline = ui::flatButton(page, "btnUnderline", QStringLiteral("underline"),
        QStringLiteral("Underline"), 1058, tool(92, 4));
    btnFonts = ui::flatButton(
        page, "btnFonts", QStringLiteral("fonts"), QStringLiteral("Fonts"), 1059, tool(118, 4));
    btnTextLink = ui::flatButton(
        page, "btnTextLink", {}, QStringLiteral("Insert Text Link"), 1060, tool(150, 4));
    btnTextKMask = ui::flatButton(page, "btnTextKMask", QStringLiteral("keymask"),
        QStringLiteral("Key Mask"), 1061, tool(176, 4));

    txtText = ui::place(new QPlainTextEdit(page), "txtText", QRect(8, 34, 364, 253));
    txtText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtText->setTabChangesFocus(false);
    ui::setTag(txtText, 0); // the text-import option: 1 adds "<BR>" to imported lines

    popKeyMask = new QMenu(btnTextKMask);
    popKeyMask->setObjectName(QStringLiteral("popKeyMask"));
    const auto item = [this](const char *name, const char *text, int tag) {
        QAction *action = popKeyMask->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        ui::setTag(action, tag);
        return action;
    };
    mnuTextMask = item("mnuTextMask", "&Enable Key Mask", 1062);
    popKeyMask->addSeparator();
    mnuTextSingle = item("mnuTextSingle", "Enter Key = &Single Line", 1063);
    mnuTextDouble = item("mnuTextDouble", "Enter Key = &Two Lines", 1064);
    // Ticking one line item unticks the other; unticking the ticked one leaves neither.
    keyMaskLines = new QActionGroup(popKeyMask);
    keyMaskLines->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    keyMaskLines->addAction(mnuTextSingle);
    keyMaskLines->addAction(mnuTextDouble);
    mnuTextSingle->setChecked(true);
    mnuTextSingle->setEnabled(false);
    mnuTextDouble->setEnabled(false);
}

void BulletControls::setup(QWidget *page)
{
    btnBulletImport = ui::flatButton(page, "btnBulletImport", QStringLiteral("import"),
        QStringLiteral("Import Text File"), 0, tool(8, 4));
    btnBulletLinks
        = ui::flatButton(page, "btnBulletLinks", {}, QStringLiteral("Insert Link"), 0, tool(34, 4));
    lblBullets1 = ui::label(page, "lblBullets1",
        QStringLiteral("&Bullet Items (One item per line)"), 1066, QPoint(8, 36));
    txtBullets = ui::place(new QPlainTextEdit(page), "txtBullets", QRect(8, 52, 364, 205));
    txtBullets->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtBullets->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtBullets->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblBullets1->setBuddy(txtBullets);
    lblBullets2 = ui::label(page, "lblBullets2", QStringLiteral("&Type:"), 1065, QPoint(8, 268));
    cbBullets
        = ui::comboBox(page, "cbBullets", itemTexts(kBulletTypes), false, QRect(50, 264, 100, 22));
    lblBullets2->setBuddy(cbBullets);
}
