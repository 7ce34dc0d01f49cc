#pragma once

#include "pagemodel.h"
#include "stepcontrols.h"

#include <QObject>
#include <QStringList>

class MetaTab;
class WizardHost;

// Step 1: the template gallery with its preview, the title, the heading and its size, the
// left margin, and the meta tags of its second tab.
class StartStep final : public QObject {
    Q_OBJECT

public:
    StartStep(const StartControls &controls, WizardHost &host, QObject *parent = nullptr);

    // Fills the template list from the shipped folder and the user's own.
    void LoadTemplateList();
    void ShowTemplatePreview();
    // The templates as the list offers them.
    QStringList templateNames() const;
    // Shows the template tab, as a step back to choose a layout does.
    void showTemplates();

    // Empties the title, heading and margin width, the first of a reset's clearing.
    void clearFields();
    // The rest of a reset: no preview, no meta tags, no template, the margin off at 120.
    void reset();
    // Shows what a project holds for this step.
    void showModel(const PageModel &model);

    MetaTab &meta() { return *m_meta; }

signals:
    // The user chose a template: the page can be saved.
    void templateChosen();

private:
    void cbStylesChange();
    void chkIndentClick();
    QStringList templateFolders() const;

    StartControls m_controls;
    WizardHost &m_host;
    MetaTab *m_meta;
};
