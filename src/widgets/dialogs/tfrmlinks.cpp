#include "tfrmlinks.h"

#include "colorcombobox.h"
#include "fontfamilies.h"
#include "hinttracker.h"
#include "linksources.h"
#include "linksreader.h"
#include "messagenumbers.h"
#include "messagetable.h"
#include "pagefilelist.h"
#include "pictureloader.h"
#include "qtcolor.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <iterator>

namespace {

constexpr int kClientWidth = 500;
constexpr int kClientHeight = 183;
// The found-links list shows below the fields when the dialog is 336 high with its frame.
constexpr int kClientHeightWithList = 306;
// The measure of a fresh image holder: the 16 by 16 font icon it shows in the fonts mode.
constexpr QSize kHolderSize(16, 16);

const QString kMailPrefix = QStringLiteral("MAILTO:");
const QString kWebDocuments
    = QStringLiteral("Web Documents|*.htm;*.html;*.shtm;*.shtml;*.txt|All Files|*.*");

// The e-mail prefix stands at the start of the address, in any letter case.
bool hasMailPrefix(const QString &address)
{
    return address.startsWith(kMailPrefix, Qt::CaseInsensitive);
}

QRect tool(int left, int top)
{
    return {left, top, 24, 23};
}

// The fonts mode's colours, each named by the message of its number (None, Custom..., then
// Aqua to Yellow). None sets no colour; Custom... holds gray until a colour is taken.
constexpr QRgb kFontColors[]
    = {0xFFFFFF, 0x808080, 0x00FFFF, 0x000000, 0x0000FF, 0xFF00FF, 0x808080, 0x008000, 0x00FF00,
        0x800000, 0x000080, 0x808000, 0x800080, 0xFF0000, 0xC0C0C0, 0x008080, 0xFFFFFF, 0xFFFF00};
constexpr int kCustomColor = 1;
static_assert(std::size(kFontColors) == Msg::ColorYellow - Msg::ColorNone + 1);

} // namespace

TfrmLinks::TfrmLinks(Mode mode, const LinkEditorContext &context, QWidget *parent)
    : QDialog(parent)
    , m_mode(mode)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmLinks"));
    setupUi();
    setFixedSize(kClientWidth, kClientHeight);

    if (m_mode == Mode::Fonts) {
        setupFonts();
    } else if (m_mode == Mode::EditLink) {
        btnOK->hide();
        btnEdit->setEnabled(true);
        btnEdit->setDefault(true);
        btnEdit->show();
        btnEdit->raise();
    } else {
        btnOK->setDefault(true);
        txtAddress->setFocus();
    }
    m_context.host.applyLanguage(this);
    m_okHint = btnOK->toolTip();
    m_editHint = btnEdit->toolTip();
    if (m_mode != Mode::Fonts)
        fieldChange();
}

void TfrmLinks::setupUi()
{
    lblLink1 = ui::label(this, "lblLink1",
        QStringLiteral("Link &Address (for example http://www.example.com or me@example.com)"),
        1301, QPoint(8, 8));
    txtAddress = ui::lineEdit(this, "txtAddress", QRect(8, 24, 380, 21));
    lblLink1->setBuddy(txtAddress);
    btnLinkOpen = ui::flatButton(
        this, "btnLinkOpen", QString(), QStringLiteral("Browse Computer"), 1303, tool(392, 23));
    btnLinkOpen->setIcon(m_context.browseIcon);
    btnLinkFile = ui::flatButton(this, "btnLinkFile", QStringLiteral("filelinks"),
        QStringLiteral("Links in file"), 1306, tool(418, 23));
    btnNetscape = ui::flatButton(this, "btnNetscape", QStringLiteral("bookmarks"),
        QStringLiteral("Netscape Bookmarks"), 1304, tool(444, 23));
    btnIE = ui::flatButton(this, "btnIE", QStringLiteral("favorites"), QStringLiteral("Favorites"),
        1305, tool(470, 23));

    lblLink2 = ui::label(this, "lblLink2", QStringLiteral("Link &Description (Underlined Text)"),
        1302, QPoint(8, 52));
    txtDescription = ui::lineEdit(this, "txtDescription", QRect(8, 68, 380, 21));
    lblLink2->setBuddy(txtDescription);

    lblLink3 = ui::label(this, "lblLink3",
        QStringLiteral("&Use an image as the link (Cannot be used with Drop Box Style)"), 1308,
        QPoint(8, 96));
    txtImage = ui::lineEdit(this, "txtImage", QRect(8, 112, 380, 21));
    txtImage->setReadOnly(true);
    btnImageLink = ui::flatButton(
        this, "btnImageLink", QString(), QStringLiteral("Browse Computer"), 1303, tool(392, 111));
    btnImageLink->setIcon(m_context.browseIcon);
    lblLink3->setBuddy(btnImageLink);
    btnImageClear = ui::flatButton(this, "btnImageClear", QString(),
        MessageTable::englishText(Msg::HintClearLinkImage), Msg::HintClearLinkImage,
        tool(418, 111));
    btnImageClear->setIcon(m_context.clearIcon);

    chkEmail = ui::place(new QCheckBox(QStringLiteral("This link is an &Email Address"), this),
        "chkEmail", QRect(8, 145, 250, 20));
    ui::setTag(chkEmail, 1309);

    btnOK = ui::pushButton(this, "btnOK", QStringLiteral("OK"), 1208, QRect(337, 148, 75, 25));
    btnOK->setEnabled(false);
    btnEdit
        = ui::pushButton(this, "btnEdit", QStringLiteral("Edit"), 1307, QRect(337, 148, 75, 25));
    btnEdit->setEnabled(false);
    btnEdit->hide();
    btnCancel = ui::pushButton(
        this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect(417, 148, 75, 25));

    // The fonts panel covers the link fields in the fonts mode; in the link modes its image
    // holder, hidden, only measures the chosen picture.
    pnlFonts = ui::place(new QWidget(this), "pnlFonts", QRect(0, 0, kClientWidth, 140));
    HintTracker::setPanelHint(pnlFonts, QStringLiteral("Available &Links in Document"));
    ui::setTag(pnlFonts, 1300);
    imgImage = ui::place(new QLabel(pnlFonts), "imgImage", QRect(QPoint(440, 8), kHolderSize));
    imgImage->setPixmap(QIcon(ui::iconPath(QStringLiteral("fonts"))).pixmap(kHolderSize));
    pnlFonts->setAutoFillBackground(true);
    lbl0 = ui::label(pnlFonts, "lbl0", QStringLiteral("&Fonts"), 1309, QPoint(8, 8));
    cbFonts = ui::comboBox(pnlFonts, "cbFonts", {}, true, QRect(8, 24, 380, 22));
    lbl0->setBuddy(cbFonts);
    lbl1 = ui::label(pnlFonts, "lbl1", QStringLiteral("&Color"), 1310, QPoint(8, 56));
    cbColor = ui::place(new ColorComboBox(pnlFonts), "cbColor", QRect(8, 72, 180, 22));
    lbl1->setBuddy(cbColor);
    lbl2 = ui::label(pnlFonts, "lbl2", QStringLiteral("&Size"), 1311, QPoint(208, 56));
    QStringList sizes;
    for (int size = 1; size <= 7; ++size)
        sizes << QString::number(size);
    for (int size = 1; size <= 4; ++size)
        sizes << QStringLiteral("+%1").arg(size);
    cbSize = ui::comboBox(pnlFonts, "cbSize", sizes, true, QRect(208, 72, 80, 22));
    lbl2->setBuddy(cbSize);
    pnlFonts->hide();

    lblLink0 = ui::label(this, "lblLink0", QStringLiteral("Available &Links in Document"), 1300,
        QRect(8, 184, 484, 16));
    lstLinks = ui::place(new QListWidget(this), "lstLinks", QRect(8, 202, 484, 96));
    lstLinks->setSortingEnabled(true);
    lblLink0->setBuddy(lstLinks);
    // Enter picks the found link instead of reaching the default button.
    lstLinks->installEventFilter(this);

    connect(btnLinkOpen, &QToolButton::clicked, this, &TfrmLinks::btnLinkOpenClick);
    connect(btnLinkFile, &QToolButton::clicked, this, &TfrmLinks::btnLinkFileClick);
    connect(btnNetscape, &QToolButton::clicked, this, &TfrmLinks::btnNetscapeClick);
    connect(btnIE, &QToolButton::clicked, this, &TfrmLinks::btnIEClick);
    connect(lstLinks, &QListWidget::itemDoubleClicked, this, &TfrmLinks::lstLinksDblClick);
    connect(btnImageLink, &QToolButton::clicked, this, &TfrmLinks::btnImageLinkClick);
    connect(btnImageClear, &QToolButton::clicked, this, &TfrmLinks::btnImageClearClick);
    for (QLineEdit *field : {txtAddress, txtDescription, txtImage})
        connect(field, &QLineEdit::textChanged, this, &TfrmLinks::fieldChange);
    connect(btnOK, &QPushButton::clicked, this, &TfrmLinks::btnOKClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmLinks::btnEditClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbColor, &QComboBox::activated, this, &TfrmLinks::cbColorChange);
}

void TfrmLinks::setupFonts()
{
    cbFonts->addItems(FontFamilies::installed());
    cbFonts->setCurrentIndex(-1);
    for (std::size_t i = 0; i < std::size(kFontColors); ++i)
        cbColor->addColor(m_context.host.messageText(Msg::ColorNone + static_cast<int>(i)),
            QColor::fromRgb(kFontColors[i]));
    cbColor->setCurrentIndex(0);
    btnOK->setEnabled(true);
    btnOK->setDefault(true);
    // The panel covers the link fields, which take no part in this mode.
    for (QWidget *field : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (field != pnlFonts && field != btnOK && field != btnCancel)
            field->hide();
    }
    pnlFonts->show();
    pnlFonts->raise();
    cbFonts->setFocus();
}

void TfrmLinks::cbColorChange(int index)
{
    if (index != kCustomColor)
        return;
    // Cancelled, the custom item keeps its colour.
    if (const std::optional<QColor> chosen = m_context.host.chooseColor(this)) {
        cbColor->setColor(kCustomColor, *chosen);
        cbColor->setCurrentIndex(kCustomColor);
        cbColor->update();
    }
}

void TfrmLinks::fontsOKClick()
{
    const int index = cbColor->currentIndex();
    const std::optional<TColor> color
        = index > 0 ? std::optional(toTColor(cbColor->color(index))) : std::nullopt;
    m_fontTags = Markup::fontTags(cbFonts->currentText(), color, cbSize->currentText());
    accept();
}

void TfrmLinks::setLink(const LinkRow &row)
{
    txtAddress->setText(row.address);
    txtDescription->setText(row.description);
    txtImage->setText(row.image);
    if (!row.height.isEmpty())
        imgImage->resize(row.width.toInt(), row.height.toInt());
    chkEmail->setChecked(hasMailPrefix(row.address));
}

void TfrmLinks::fieldChange()
{
    // A text link without a description would be an anchor nobody can see or click; an
    // image link shows its picture instead.
    const bool visible = !txtDescription->text().trimmed().isEmpty() || !txtImage->text().isEmpty();
    const QString needed = m_context.host.messageText(Msg::LinkNeedsDescription);
    for (const auto &[button, hint] :
        {std::pair {btnOK, m_okHint}, std::pair {btnEdit, m_editHint}}) {
        button->setEnabled(visible);
        button->setToolTip(visible ? hint : needed);
        button->setAccessibleDescription(visible ? QString() : needed);
    }
}

QString TfrmLinks::openWebDocument()
{
    FileDialogRequest request;
    request.filter = kWebDocuments;
    return m_context.host.dialogs().openFile(this, request);
}

void TfrmLinks::btnLinkOpenClick()
{
    // A document beside the page: the link is relative to the page's own folder.
    const QString chosen = openWebDocument();
    if (!chosen.isEmpty())
        txtAddress->setText(QFileInfo(chosen).fileName());
}

void TfrmLinks::btnIEClick()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Internet Shortcuts|*.url;*.desktop");
    request.directory = LinkSources::favoritesFolder(QDir::homePath());
    const QString chosen = m_context.host.dialogs().openFile(this, request);
    if (chosen.isEmpty())
        return;
    using Status = LinkSources::ShortcutResult::Status;
    const LinkSources::ShortcutResult shortcut = LinkSources::readShortcut(chosen);
    // Whatever the file is, an address already typed is not lost to it.
    switch (shortcut.status) {
    case Status::Address:
        txtAddress->setText(shortcut.url);
        return;
    case Status::NoAddress:
        showWarning(Msg::FavoriteHasNoAddress, QFileInfo(chosen).fileName());
        return;
    case Status::TooLarge:
        showWarning(Msg::FavoriteTooLarge, QFileInfo(chosen).fileName());
        return;
    case Status::Unreadable:
        break;
    }
    showError(shortcut.error);
}

void TfrmLinks::btnLinkFileClick()
{
    const QString chosen = openWebDocument();
    if (!chosen.isEmpty())
        ListFileLinks(chosen);
}

void TfrmLinks::btnNetscapeClick()
{
    if (const std::optional<QString> recorded = LinkSources::recordedBookmarkFile()) {
        ListFileLinks(*recorded);
        return;
    }
    const QStringList stores = LinkSources::browserBookmarkStores(QDir::homePath());
    if (stores.isEmpty()) {
        btnLinkOpenClick();
        return;
    }
    readLinks([stores] { return LinkSources::browserBookmarks(stores); });
}

void TfrmLinks::ListFileLinks(const QString &path)
{
    readLinks([path] { return LinkSources::listFileLinks(path); });
}

void TfrmLinks::readLinks(std::function<LinkSources::FoundLinks()> read)
{
    // One read at a time; the rest of the dialog stays at the user's service meanwhile.
    btnLinkFile->setEnabled(false);
    btnNetscape->setEnabled(false);
    setCursor(Qt::BusyCursor);
    m_foundCaption = lblLink0->text();
    m_sizeBeforeReading = size();
    lblLink0->setText(m_context.host.messageText(Msg::ReadingLinks));
    setFixedSize(kClientWidth, kClientHeightWithList);
    LinkSources::LinksReader *reader = LinkSources::LinksReader::start(std::move(read));
    connect(reader, &LinkSources::LinksReader::finished, this, &TfrmLinks::showFoundLinks);
}

void TfrmLinks::showFoundLinks(const LinkSources::FoundLinks &found)
{
    btnLinkFile->setEnabled(true);
    btnNetscape->setEnabled(true);
    unsetCursor();
    // What could not be read leaves the dialog as it was.
    if (!found.error.isEmpty()) {
        lblLink0->setText(m_foundCaption);
        setFixedSize(m_sizeBeforeReading);
        showError(found.error);
        return;
    }
    lstLinks->clear();
    lstLinks->addItems(found.addresses);
    lblLink0->setText(HintTracker::panelHint(pnlFonts) + QStringLiteral(" - ") + found.sourceName);
    setFixedSize(kClientWidth, kClientHeightWithList);
}

void TfrmLinks::showError(const QString &text)
{
    m_context.host.dialogs().message(this, MessageKind::Error, text, ButtonSet::Ok);
}

void TfrmLinks::showWarning(int number, const QString &argument)
{
    m_context.host.dialogs().message(this, MessageKind::Warning,
        m_context.host.messageText(number).arg(argument), ButtonSet::Ok);
}

void TfrmLinks::lstLinksDblClick()
{
    pickFoundLink();
}

void TfrmLinks::pickFoundLink()
{
    if (const QListWidgetItem *item = lstLinks->currentItem();
        item != nullptr && item->isSelected())
        txtAddress->setText(item->text());
}

bool TfrmLinks::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the found links is the keyboard's double click: it takes the selected address
    // and leaves the dialog open, where OK would have closed it with the address before.
    if (watched == lstLinks && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pickFoundLink();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmLinks::btnImageLinkClick()
{
    FileDialogRequest request;
    request.filter = QString::fromUtf16(kPictureFilter);
    const QString current = txtImage->text();
    if (!current.isEmpty()) {
        request.directory = QFileInfo(current).absolutePath();
        request.fileName = QFileInfo(current).fileName();
    } else {
        request.directory = m_context.host.applicationDirectory() + QStringLiteral("Buttons");
    }
    const QString chosen = m_context.host.dialogs().openPicture(this, request);
    if (chosen.isEmpty())
        return;
    if (chosen.contains(u'|')) {
        m_context.host.dialogs().message(this, MessageKind::Error,
            m_context.host.messageText(Msg::LinkPictureHasBar), ButtonSet::Ok);
        return;
    }
    txtImage->setText(chosen);
    m_context.host.pageFiles().add(chosen);
    // A picture that cannot be read leaves the holder, and so the link's size, as it was.
    const PictureLoader::Result picture = PictureLoader::load(chosen);
    if (picture.ok()) {
        imgImage->setPixmap(QPixmap::fromImage(picture.image));
        imgImage->resize(picture.image.size());
    }
    m_context.imageChosen();
}

void TfrmLinks::btnImageClearClick()
{
    const QString image = txtImage->text();
    if (image.isEmpty())
        return;
    m_context.host.releasePageFile(image);
    txtImage->clear();
}

LinkRow TfrmLinks::rowWithAddress(const QString &address) const
{
    LinkRow row {address, txtDescription->text(), txtImage->text(), {}, {}, false};
    if (!row.image.isEmpty()) {
        row.height = QString::number(imgImage->height());
        row.width = QString::number(imgImage->width());
    }
    return row;
}

bool TfrmLinks::refusesBars()
{
    // The project file separates a link's fields by "|"; one inside a field would shift the
    // fields after it when the project is read back.
    for (const auto &[field, number] : {std::pair {txtAddress, Msg::LinkAddressHasBar},
             std::pair {txtDescription, Msg::LinkDescriptionHasBar}}) {
        if (!field->text().contains(u'|'))
            continue;
        m_context.host.dialogs().message(
            this, MessageKind::Error, m_context.host.messageText(number), ButtonSet::Ok);
        field->setFocus();
        field->setCursorPosition(static_cast<int>(field->text().indexOf(u'|')));
        return true;
    }
    return false;
}

void TfrmLinks::btnOKClick()
{
    if (m_mode == Mode::Fonts) {
        fontsOKClick();
        return;
    }
    if (refusesBars())
        return;
    const QString address = txtAddress->text();
    // An address typed with its own prefix keeps that one.
    const bool addPrefix = chkEmail->isChecked() && !hasMailPrefix(address);
    m_result = rowWithAddress(addPrefix ? kMailPrefix + address : address);
    accept();
}

void TfrmLinks::btnEditClick()
{
    if (refusesBars())
        return;
    QString address = txtAddress->text();
    const bool prefixed = hasMailPrefix(address);
    if (chkEmail->isChecked() && !prefixed)
        address.prepend(kMailPrefix);
    else if (!chkEmail->isChecked() && prefixed)
        address.remove(0, kMailPrefix.size());
    m_result = rowWithAddress(address);
    accept();
}
