#pragma once

#include "datafolders.h"
#include "dialogservice.h"
#include "pagemodel.h"

#include <QColor>
#include <QString>

#include <optional>

class PageFileList;
class QWidget;

// What the steps and dialogs of the wizard need of its main window, which owns the
// program-wide state.
class WizardHost {
public:
    virtual QWidget *hostWindow() = 0;
    virtual DialogService &dialogs() = 0;
    // Shows a numbered message with its current, possibly translated, text.
    virtual MessageAnswer showMessage(MessageKind kind, int number, ButtonSet buttons) = 0;
    virtual QString messageText(int number) const = 0;
    virtual PageFileList &pageFiles() = 0;
    // Takes a picture out of the page's files unless a link, the background or the page
    // image still uses it.
    virtual void releasePageFile(const QString &path) = 0;
    // The data folder (see DataFolders::locate), ending in "/": shipped files are read
    // from it.
    virtual QString applicationDirectory() const = 0;
    // The data folder with the user's own folders beside it.
    virtual const DataFolders &dataFolders() const = 0;
    // The unsaved-changes flag of the page's answers.
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;
    void markModified() { setModified(true); }
    // Whether closing the window asked to save first.
    virtual bool closePrompted() const = 0;
    // The page's answers as the controls hold them.
    virtual PageModel pageModel() const = 0;
    // Opens a file or a web address in the user's browser; says so when it cannot.
    virtual void OpenBrowser(const QString &target) = 0;
    // Translates a window that was just created, when another language is chosen.
    virtual void applyLanguage(QWidget *window) = 0;
    // Presses a step's button (1..8) and shows the step.
    virtual void showStep(int step) = 0;
    // Runs the colour dialog that the whole program shares: it opens on the colour it gave
    // last and keeps the sixteen custom colours. Empty when cancelled.
    virtual std::optional<QColor> chooseColor(QWidget *owner) = 0;

protected:
    WizardHost() = default;
    ~WizardHost() = default;
    WizardHost(const WizardHost &) = delete;
    WizardHost &operator=(const WizardHost &) = delete;
};
