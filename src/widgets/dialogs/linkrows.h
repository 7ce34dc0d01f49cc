#pragma once

#include "pagemodel.h"

class QTreeWidget;
class QTreeWidgetItem;

// A row of the links list: address, description, image, height and width, with its tick.
// The links step and the link picker read the list the same way.
namespace LinkRows {

void addRow(QTreeWidget *list, const LinkRow &row);
LinkRow rowOf(const QTreeWidgetItem *item);

} // namespace LinkRows
