// The controls of steps 7 and 8: summary, saving and upload.
#include "qtcolor.h"
#include "wizardui.h"

#include "pagecolors.h"
#include "tshape.h"
#include "uibuilder.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

void SaveControls::setup(QWidget *page)
{
    lblSave0 = ui::label(page, "lblSave0", QStringLiteral("Marbleton HTML Editor Zephyro Summary"),
        1067, QPoint(8, 4));
    QFont bold = lblSave0->font();
    bold.setBold(true);
    lblSave0->setFont(bold);
    lblSave0->adjustSize();
    auto *rule = ui::place(new QFrame(page), "bvlSave", QRect(8, 22, 364, 2));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    lblSave1
        = ui::label(page, "lblSave1", QStringLiteral("Document Location:"), 1068, QPoint(8, 32));
    lblSavedURL = ui::label(
        page, "lblSavedURL", QStringLiteral("Not saved yet..."), 1069, QRect(112, 32, 257, 33));
    lblSavedURL->setWordWrap(true);
    lblSavedURL->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblSave2 = ui::label(page, "lblSave2", QStringLiteral("Colors:"), 1070, QPoint(8, 72));
    TShape **swatches[5]
        = {&shpSummaryBG, &shpSummaryText, &shpSummaryLink, &shpSummaryAlink, &shpSummaryVlink};
    const char *swatchNames[5] = {
        "shpSummaryBG", "shpSummaryText", "shpSummaryLink", "shpSummaryAlink", "shpSummaryVlink"};
    const char *captions[5] = {"Background", "Text", "Link", "Active Link", "Visited Link"};
    for (int i = 0; i < 5; ++i) {
        // Three in the left column, two in the right.
        const int x = i < 3 ? 20 : 190;
        const int y = 92 + 18 * (i < 3 ? i : i - 3);
        TShape *swatch = ui::place(new TShape(page), swatchNames[i], QRect(x, y, 35, 11));
        swatch->setFillColor(toQColor(defaultPageColor(kColorKinds[static_cast<std::size_t>(i)])));
        swatch->setPen(Qt::black, 1);
        *swatches[i] = swatch;
        const QByteArray name = "lblSave" + QByteArray::number(3 + i);
        lblSaveColor[i] = ui::label(page, name.constData(), QString::fromLatin1(captions[i]),
            1071 + i, QPoint(x + 42, y - 1));
    }

    lblSave8
        = ui::label(page, "lblSave8", QStringLiteral("Background Image:"), 1076, QPoint(8, 152));
    lblSave9 = ui::label(page, "lblSave9", QString(), 0, QRect(120, 152, 250, 14));
    lblSave10 = ui::label(page, "lblSave10", QStringLiteral("Page Image:"), 1077, QPoint(8, 172));
    lblSave11 = ui::label(page, "lblSave11", QString(), 0, QRect(120, 172, 250, 14));

    optSaveHTML = ui::place(new QRadioButton(QStringLiteral("Save As &HTML page"), page),
        "optSaveHTML", QRect(8, 203, 200, 20));
    ui::setTag(optSaveHTML, 1080);
    optSaveHTML->setChecked(true);
    optSavePWZ = ui::place(new QRadioButton(QStringLiteral("Save As &Zephyro file"), page),
        "optSavePWZ", QRect(8, 225, 200, 20));
    ui::setTag(optSavePWZ, 1081);

    btnSave = ui::pushButton(
        page, "btnSave", QStringLiteral("&Save As..."), 1078, QRect(8, 258, 100, 25));
    btnSave->setEnabled(false);
    btnPreview = ui::pushButton(
        page, "btnPreview", QStringLiteral("&Test Page"), 1079, QRect(116, 258, 100, 25));
    btnPreview->setEnabled(false);
}

void UploadControls::setup(QWidget *page)
{
    lblUpload0 = ui::label(page, "lblUpload0", QStringLiteral("&Servers"), 1082, QPoint(8, 6));
    cbSites = ui::comboBox(page, "cbSites", {}, false, QRect(8, 22, 250, 22));
    lblUpload0->setBuddy(cbSites);
    btnUploadNew = ui::flatButton(page, "btnUploadNew", QStringLiteral("newprofile"),
        QStringLiteral("New Profile"), 1083, QRect(264, 21, 26, 24));
    btnUploadEdit = ui::flatButton(page, "btnUploadEdit", QStringLiteral("editprofile"),
        QStringLiteral("Edit Profile"), 1084, QRect(292, 21, 26, 24));
    btnUploadEdit->setEnabled(false);

    lblUpload1
        = ui::label(page, "lblUpload1", QStringLiteral("&Files to Upload"), 1085, QPoint(8, 54));
    lsbFiles = ui::place(new QListWidget(page), "lsbFiles", QRect(8, 70, 310, 160));
    lsbFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lblUpload1->setBuddy(lsbFiles);
    btnUploadAddFiles = ui::flatButton(page, "btnUploadAddFiles", QStringLiteral("addfiles"),
        QStringLiteral("Add Files"), 1086, QRect(324, 70, 26, 24));
    btnUploadRemove = ui::flatButton(page, "btnUploadRemove", QStringLiteral("removefiles"),
        QStringLiteral("Remove Files"), 1087, QRect(324, 98, 26, 24));
    btnUploadRemove->setEnabled(false);

    btnUpload = ui::flatButton(page, "btnUpload", QStringLiteral("upload-large"),
        QStringLiteral("Upload Selected Files"), 1088, QRect(8, 238, 100, 48));
    btnUpload->setText(QStringLiteral("Upload"));
    btnUpload->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnUpload->setIconSize(QSize(32, 32));
    QPalette navy = btnUpload->palette();
    navy.setColor(QPalette::ButtonText, QColor(0, 0, 128));
    btnUpload->setPalette(navy);
    btnUpload->setEnabled(false);

    lblUpload2 = ui::label(page, "lblUpload2", QStringLiteral("Status:"), 1089, QPoint(120, 248));
    lblUpload3 = ui::label(
        page, "lblUpload3", QStringLiteral("Disconnected"), 0, QRect(165, 248, 205, 14));
    lblUpload4 = ui::label(page, "lblUpload4", QString(), 0, QRect(120, 266, 250, 14));
}
