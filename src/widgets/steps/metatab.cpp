#include "metatab.h"

#include "uibuilder.h"
#include "wizardhost.h"

#include <QComboBox>
#include <QIcon>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// Only the content is typed in place; the name comes from the name box.
class NoEditor final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(
        QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return nullptr;
    }
};

} // namespace

MetaTab::MetaTab(const StartControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
{
    QTreeWidget *list = m_controls.lvMeta;
    // As in a list view: a click on the selected row, or F2, edits its content.
    list->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    list->setItemDelegateForColumn(1, new NoEditor(list));

    connect(m_controls.btnMetaAdd, &QToolButton::clicked, this, &MetaTab::btnMetaAddClick);
    connect(m_controls.btnMetaDelete, &QToolButton::clicked, this, &MetaTab::btnMetaDeleteClick);
    // A choice of the user's only; the program's own settings of the box change no row.
    connect(m_controls.cbMeta, &QComboBox::activated, this, &MetaTab::cbMetaChange);

    // Every change of a row's text, the focus or the selection, and rows coming and going.
    ui::onListChange(list, this, [this] { lvMetaChange(); });
    connect(list->model(), &QAbstractItemModel::rowsInserted, this, &MetaTab::lvMetaChange);
    connect(list->model(), &QAbstractItemModel::rowsRemoved, this, &MetaTab::lvMetaChange);
}

void MetaTab::addRow(QTreeWidget *list, const MetaRow &row)
{
    auto *item = new QTreeWidgetItem(list, {row.content, row.name});
    item->setIcon(0, QIcon(ui::iconPath(QStringLiteral("meta"))));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
}

void MetaTab::clear()
{
    // Emptying the list resets its model, which no row signal reports.
    m_controls.lvMeta->clear();
    lvMetaChange();
}

QTreeWidgetItem *MetaTab::selected() const
{
    const QList<QTreeWidgetItem *> rows = m_controls.lvMeta->selectedItems();
    return rows.isEmpty() ? nullptr : rows.constFirst();
}

void MetaTab::btnMetaAddClick()
{
    QTreeWidget *list = m_controls.lvMeta;
    addRow(list, {QString(), m_controls.cbMeta->currentText()});
    QTreeWidgetItem *row = list->topLevelItem(list->topLevelItemCount() - 1);
    list->setFocus();
    // Editing a row selects it and makes it current, as a list view's label editing does;
    // Escape then leaves the content empty.
    list->setCurrentItem(row);
    row->setSelected(true);
    list->editItem(row, 0);
}

void MetaTab::cbMetaChange()
{
    if (QTreeWidgetItem *row = selected())
        row->setText(1, m_controls.cbMeta->currentText());
    m_host.markModified();
}

void MetaTab::btnMetaDeleteClick()
{
    if (QTreeWidgetItem *row = selected())
        delete row;
    m_controls.btnMetaDelete->setEnabled(m_controls.lvMeta->topLevelItemCount() > 0);
}

void MetaTab::lvMetaChange()
{
    m_controls.btnMetaDelete->setEnabled(m_controls.lvMeta->topLevelItemCount() > 0);
    m_host.markModified();
}
