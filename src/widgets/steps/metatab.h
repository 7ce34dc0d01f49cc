#pragma once

#include "pagemodel.h"
#include "stepcontrols.h"

#include <QObject>

class QComboBox;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class WizardHost;

// The "Meta Tags" tab of step 1: the page's META rows, each a content the user types in
// place and one of the five names.
class MetaTab final : public QObject {
    Q_OBJECT

public:
    MetaTab(const StartControls &controls, WizardHost &host, QObject *parent = nullptr);

    // Appends a row named as the name box shows and starts editing its content.
    void btnMetaAddClick();
    // Renames the selected row; with none selected the name waits for the next Add.
    void cbMetaChange();
    void btnMetaDeleteClick();
    // Empties the list, as a reset does.
    void clear();

    static void addRow(QTreeWidget *list, const MetaRow &row);

private:
    void lvMetaChange();
    QTreeWidgetItem *selected() const;

    StartControls m_controls;
    WizardHost &m_host;
};
