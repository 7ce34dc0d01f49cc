#include "linkrows.h"

#include "uibuilder.h"

#include <QIcon>
#include <QTreeWidget>

namespace LinkRows {

void addRow(QTreeWidget *list, const LinkRow &row)
{
    auto *item = new QTreeWidgetItem(
        list, {row.address, row.description, row.image, row.height, row.width});
    item->setIcon(0, QIcon(ui::iconPath(QStringLiteral("link"))));
    item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
}

LinkRow rowOf(const QTreeWidgetItem *item)
{
    return {item->text(0), item->text(1), item->text(2), item->text(3), item->text(4),
        item->checkState(0) == Qt::Checked};
}

} // namespace LinkRows
