#pragma once

#include "stepcontrols.h"

#include <QObject>
#include <QString>

class UploadStep;
class WizardHost;

// Step 7: the summary of the page's colours and pictures, saving as a web page (with its
// pictures copied beside it) or as a project file, and testing the saved page.
class SaveStep final : public QObject {
    Q_OBJECT

public:
    enum class SaveOutcome { Written, Cancelled, Failed };

    SaveStep(const SaveControls &controls, WizardHost &host, UploadStep &upload,
        QObject *parent = nullptr);

    // Saves as the step's choice says. Only Written means the page is safe: a cancelled
    // dialog, a missing template, a refused replace and a failed write or copy are not.
    SaveOutcome saveDocument();
    // Writes the project under the name chosen in the save dialog. False when the file
    // could not be written; the error has been shown and the document path is unchanged.
    bool SaveProjectFile(const QString &chosenPath);
    void refreshSummary();
    // Save, and the test of a saved page, wait for a template or a saved page again.
    void reset();
    void enableSave() { setSaveEnabled(true); }
    // Saving as a project is chosen, as the question before opening another one does.
    void choosePWZ();

    // The file last read or written.
    QString documentPath() const { return m_documentPath; }
    void setDocumentPath(const QString &path) { m_documentPath = path; }
    // Set once a project has been opened or its save begun: after a project save the
    // question about another page is left out when a close asked for the save.
    bool openProjectFlag() const { return m_openProject; }
    void setOpenProjectFlag() { m_openProject = true; }

signals:
    // No template is chosen: the user is sent back to the template list.
    void layoutStyleMissing();
    // The user wants another page after a save.
    void anotherPageWanted();

private:
    void btnSaveClick();
    void btnPreviewClick();
    void setSaveEnabled(bool enabled);
    SaveOutcome saveAsPage();
    bool BuildHTMLPage(const QString &chosenPath);
    // False when a picture could not be copied whole; the failure has been shown.
    bool CopyPageFiles(const QString &folder);
    // Asks before the file really written replaces another, when the save dialog asked
    // about a different name. False when the user keeps the old file.
    bool mayReplace(const QString &chosen, const QString &file);
    void showError(const QString &text);

    SaveControls m_controls;
    WizardHost &m_host;
    UploadStep &m_upload;
    QString m_documentPath;
    bool m_openProject = false;
};
