#include "savestep.h"

#include "atomicfile.h"
#include "externaltext.h"
#include "filecopy.h"
#include "fileerrors.h"
#include "messagenumbers.h"
#include "pagebuilder.h"
#include "pagefilelist.h"
#include "projectfile.h"
#include "qtcolor.h"
#include "templategallery.h"
#include "tshape.h"
#include "uploadstep.h"
#include "wizardhost.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

SaveStep::SaveStep(
    const SaveControls &controls, WizardHost &host, UploadStep &upload, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
    , m_upload(upload)
{
    connect(m_controls.btnSave, &QPushButton::clicked, this, &SaveStep::btnSaveClick);
    connect(m_controls.btnPreview, &QPushButton::clicked, this, &SaveStep::btnPreviewClick);
}

void SaveStep::refreshSummary()
{
    const PageModel model = m_host.pageModel();
    TShape *const swatches[] = {m_controls.shpSummaryBG, m_controls.shpSummaryText,
        m_controls.shpSummaryLink, m_controls.shpSummaryAlink, m_controls.shpSummaryVlink};
    for (ColorKind kind : kColorKinds)
        swatches[colorSlot(kind)]->setFillColor(toQColor(model.color(kind)));
    m_controls.lblSave9->setText(model.background.shown);
    m_controls.lblSave11->setText(model.image.shown);
}

void SaveStep::reset()
{
    m_controls.lblSavedURL->clear();
    setSaveEnabled(false);
    m_controls.btnPreview->setEnabled(false);
}

void SaveStep::setSaveEnabled(bool enabled)
{
    m_controls.btnSave->setEnabled(enabled);
}

void SaveStep::choosePWZ()
{
    m_controls.optSavePWZ->setChecked(true);
}

void SaveStep::showError(const QString &text)
{
    m_host.dialogs().message(m_host.hostWindow(), MessageKind::Error, text, ButtonSet::Ok);
}

bool SaveStep::SaveProjectFile(const QString &chosenPath)
{
    const ProjectFile::Target target = ProjectFile::target(chosenPath);
    // Written whole or not at all; a failed save keeps the old file and is never shown
    // as done.
    if (!writeFileAtomically(target.file, ProjectFile::bytes(m_host.pageModel()))) {
        showError(cannotCreateFile(target.file));
        return false;
    }
    m_documentPath = target.documentPath;
    if (!(m_openProject && m_host.closePrompted())
        && m_host.showMessage(MessageKind::Information, Msg::MakeAnotherPage, ButtonSet::YesNo)
            == MessageAnswer::Yes)
        emit anotherPageWanted();
    return true;
}

void SaveStep::btnSaveClick()
{
    saveDocument();
}

SaveStep::SaveOutcome SaveStep::saveDocument()
{
    SaveOutcome outcome = SaveOutcome::Cancelled;
    if (m_host.pageModel().style.isEmpty()) {
        m_host.showMessage(MessageKind::Information, Msg::SelectLayoutStyle, ButtonSet::Ok);
        emit layoutStyleMissing();
    } else if (m_controls.optSaveHTML->isChecked()) {
        outcome = saveAsPage();
    } else {
        FileDialogRequest request;
        request.filter = QStringLiteral("Marbleton HTML Editor Zephyro Files|*.pwz");
        request.defaultSuffix = QStringLiteral("pwz");
        request.directory = m_host.dataFolders().startFolder(QStringLiteral("ZephyroFiles"));
        const QString chosen = m_host.dialogs().saveFile(m_host.hostWindow(), request);
        if (chosen.isEmpty()) {
            m_host.markModified();
            m_openProject = true;
            return SaveOutcome::Cancelled;
        }
        if (!mayReplace(chosen, ProjectFile::target(chosen).file))
            return SaveOutcome::Cancelled;
        outcome = SaveProjectFile(chosen) ? SaveOutcome::Written : SaveOutcome::Failed;
    }
    if (m_controls.optSaveHTML->isChecked())
        m_upload.pageSaved();
    // Only a file written whole leaves nothing unsaved: a cancelled dialog, the missing
    // template and a failed write keep the question before closing or opening.
    if (outcome == SaveOutcome::Written)
        m_host.setModified(false);
    return outcome;
}

SaveStep::SaveOutcome SaveStep::saveAsPage()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Web Files|*.htm;*.html;*.txt|All Files|*.*");
    request.defaultSuffix = QStringLiteral("htm");
    request.directory = m_host.dataFolders().startFolder(QStringLiteral("WebFiles"));
    const QString chosen = m_host.dialogs().saveFile(m_host.hostWindow(), request);
    if (chosen.isEmpty() || !mayReplace(chosen, PageBuilder::pageFile(chosen)))
        return SaveOutcome::Cancelled;
    if (!BuildHTMLPage(chosen))
        return SaveOutcome::Failed;
    m_controls.btnPreview->setEnabled(true);
    // A picture missing or cut short beside the page shows broken on the published site:
    // such a save is no success to test or to leave.
    if (!m_host.pageFiles().isEmpty() && !CopyPageFiles(QFileInfo(m_documentPath).absolutePath()))
        return SaveOutcome::Failed;
    // After a close was put off for saving, the user wants to save and go, not test.
    if (m_host.closePrompted())
        return SaveOutcome::Written;
    const QString saved = m_controls.lblSavedURL->text();
    if (m_host.showMessage(MessageKind::Information, Msg::TestWebPage, ButtonSet::YesNo)
            == MessageAnswer::Yes
        && isFullPath(saved))
        m_host.OpenBrowser(saved);
    if (m_host.showMessage(MessageKind::Information, Msg::MakeAnotherPage, ButtonSet::YesNo)
        == MessageAnswer::Yes)
        emit anotherPageWanted();
    return SaveOutcome::Written;
}

bool SaveStep::BuildHTMLPage(const QString &chosenPath)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PageBuilder::Stamp stamp = PageBuilder::now();
    const PageModel model = m_host.pageModel();
    const QString templatePath = TemplateGallery::templateFile(
        m_host.dataFolders().searchPath(QStringLiteral("Templates")), model.style);
    const std::optional<QString> templateText
        = templatePath.isEmpty() ? std::nullopt : readExternalTextFile(templatePath);
    if (!templateText) {
        QApplication::restoreOverrideCursor();
        m_host.showMessage(MessageKind::Error, Msg::CouldNotLoadTemplate, ButtonSet::Ok);
        return false;
    }
    const QStringList page = PageBuilder::build(splitLines(*templateText), model, stamp);
    const QString file = PageBuilder::pageFile(chosenPath);
    if (!writeFileAtomically(file, PageBuilder::bytes(page))) {
        QApplication::restoreOverrideCursor();
        showError(cannotCreateFile(file));
        return false;
    }
    m_controls.lblSavedURL->setText(file);
    m_upload.setFiles(QStringList(m_host.pageFiles().paths()) << file);
    m_documentPath = file;
    QApplication::restoreOverrideCursor();
    return true;
}

bool SaveStep::CopyPageFiles(const QString &folder)
{
    const QList<FileCopy::Failure> failures
        = FileCopy::copyInto(m_host.pageFiles().paths(), folder, [this](const QString &target) {
              switch (m_host.dialogs().askReplace(m_host.hostWindow(), target)) {
              case ReplaceAnswer::Yes:
                  return FileCopy::Decision::Replace;
              case ReplaceAnswer::No:
                  return FileCopy::Decision::Keep;
              case ReplaceAnswer::YesToAll:
                  return FileCopy::Decision::ReplaceAll;
              case ReplaceAnswer::Cancel:
                  break;
              }
              return FileCopy::Decision::Cancel;
          });
    if (failures.isEmpty())
        return true;
    showError(FileCopy::failureText(failures));
    return false;
}

bool SaveStep::mayReplace(const QString &chosen, const QString &file)
{
    // The save dialog asked only about the name it was given; the file written may be
    // another ("index" becomes "index.html").
    if (QFileInfo(file).absoluteFilePath() == QFileInfo(chosen).absoluteFilePath()
        || !QFileInfo::exists(file))
        return true;
    return m_host.dialogs().message(m_host.hostWindow(), MessageKind::Confirmation,
               m_host.messageText(Msg::ReplaceWrittenFile).arg(file), ButtonSet::YesNo)
        == MessageAnswer::Yes;
}

void SaveStep::btnPreviewClick()
{
    if (isFullPath(m_controls.lblSavedURL->text()))
        m_host.OpenBrowser(m_controls.lblSavedURL->text());
}
