#include "tfrmmisc.h"

#include "linkrows.h"
#include "markup.h"
#include "messagenumbers.h"
#include "textediting.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int kClientWidth = 393;
constexpr int kClientHeight = 280;
constexpr int kColumns = 5;
constexpr int kLinksStep = 4;

// Only the address may be edited in place.
class AddressOnlyDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        if (index.column() != 0)
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
};

} // namespace

TfrmMisc::TfrmMisc(const QTreeWidget *links, WizardHost &host, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMisc"));
    setFixedSize(kClientWidth, kClientHeight);

    auto *bevel = ui::place(new QFrame(this), "Bevel1", QRect(6, 6, 381, 232));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lvLinks2 = ui::place(new QTreeWidget(this), "lvLinks2", QRect(10, 10, 373, 224));
    lvLinks2->setColumnCount(kColumns);
    lvLinks2->setColumnWidth(0, 190);
    lvLinks2->setColumnWidth(1, 190);
    lvLinks2->setColumnWidth(2, 150);
    lvLinks2->setRootIsDecorated(false);
    lvLinks2->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvLinks2->setEditTriggers(
        QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    lvLinks2->setItemDelegate(new AddressOnlyDelegate(lvLinks2));
    lvLinks2->header()->setSectionsClickable(false);

    btnOK = ui::pushButton(this, "btnOK", QStringLiteral("OK"), 1208, QRect(231, 247, 75, 25));
    btnOK->setDefault(true);
    btnCancel = ui::pushButton(
        this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect(312, 247, 75, 25));

    connect(btnOK, &QPushButton::clicked, this, &TfrmMisc::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lvLinks2, &QTreeWidget::itemDoubleClicked, this, &TfrmMisc::lvLinks2DblClick);

    host.applyLanguage(this);
    FormCreate(links);
}

void TfrmMisc::FormCreate(const QTreeWidget *links)
{
    // The captions as the links list shows them, translated or not.
    QStringList captions;
    for (int column = 0; column < kColumns; ++column)
        captions << links->headerItem()->text(column);
    lvLinks2->setHeaderLabels(captions);
    lvLinks2->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    lvLinks2->headerItem()->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);

    // Every link, ticked or not, without check boxes.
    for (int index = 0; index < links->topLevelItemCount(); ++index) {
        const QTreeWidgetItem *source = links->topLevelItem(index);
        const LinkRow row = LinkRows::rowOf(source);
        auto *item = new QTreeWidgetItem(
            lvLinks2, {row.address, row.description, row.image, row.height, row.width});
        item->setIcon(0, source->icon(0));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void TfrmMisc::btnOKClick()
{
    const QList<QTreeWidgetItem *> selected = lvLinks2->selectedItems();
    if (selected.isEmpty())
        return;
    m_element = Markup::linkElement(LinkRows::rowOf(selected.constFirst()));
    accept();
}

void TfrmMisc::lvLinks2DblClick(QTreeWidgetItem *item)
{
    if (item != nullptr && item->isSelected())
        btnOKClick();
}

void insertPickedLink(WizardHost &host, const QTreeWidget *links, QPlainTextEdit *target,
    const QToolButton *btnTextLink)
{
    if (links->topLevelItemCount() == 0) {
        QApplication::beep();
        if (host.showMessage(MessageKind::Information, Msg::NoLinksListed, ButtonSet::YesNo)
            == MessageAnswer::Yes)
            host.showStep(kLinksStep);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TfrmMisc dialog(links, host, host.hostWindow());
    // The text step's hint, also from the bullets step.
    dialog.setWindowTitle(btnTextLink->toolTip());
    QApplication::restoreOverrideCursor();
    if (host.dialogs().runModal(dialog) != QDialog::Accepted)
        return;
    // In front of any selected text, which stays.
    PutTag(target, dialog.element(), QString());
}
