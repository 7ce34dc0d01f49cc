#include "uploadstep.h"

#include "certificatequestion.h"
#include "messagenumbers.h"
#include "profilestore.h"
#include "tfrmserverprofile.h"
#include "wizardhost.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

// The warning's line for a failure: "Error ", the reason, and "Could not complete request."
QString errorText(const WizardHost &host, const QString &reason)
{
    return QStringLiteral("Error ") + reason + QLatin1Char(' ')
        + host.messageText(Msg::CouldNotCompleteRequest);
}

} // namespace

UploadStep::UploadStep(const UploadControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
{
    m_controls.lsbFiles->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(m_controls.btnUploadNew, &QToolButton::clicked, this, &UploadStep::btnUploadNewClick);
    connect(m_controls.btnUploadEdit, &QToolButton::clicked, this, &UploadStep::btnUploadEditClick);
    // Only a pick by the user; a selection made by the program is no reason to enable Edit.
    connect(m_controls.cbSites, &QComboBox::activated, this, &UploadStep::cbSitesChange);
    connect(m_controls.btnUploadAddFiles, &QToolButton::clicked, this,
        &UploadStep::btnUploadAddFilesClick);
    connect(
        m_controls.btnUploadRemove, &QToolButton::clicked, this, &UploadStep::btnUploadRemoveClick);
    connect(m_controls.btnUpload, &QToolButton::clicked, this, &UploadStep::btnUploadClick);
}

UploadStep::~UploadStep()
{
    // The upload is a child and goes with this object; it calls nothing back as it goes.
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

QString UploadStep::iniPath() const
{
    return ProfileStore::remoteIniPath(m_host.applicationDirectory());
}

void UploadStep::LoadProfiles()
{
    IniFile::LoadError error = IniFile::LoadError::None;
    m_controls.cbSites->addItems(ProfileStore::loadProfiles(iniPath(), &error));
    // An empty list would look as if the profiles were gone.
    if (error == IniFile::LoadError::TooLarge)
        m_host.showMessage(MessageKind::Warning, Msg::RemoteIniTooLarge, ButtonSet::Ok);
    if (m_controls.cbSites->count() > 0)
        m_controls.cbSites->setCurrentIndex(0);
}

void UploadStep::btnUploadNewClick()
{
    runProfileDialog(nullptr);
}

void UploadStep::btnUploadEditClick()
{
    EditProfile(m_controls.cbSites->currentText());
}

void UploadStep::EditProfile(const QString &name)
{
    runProfileDialog(&name);
}

void UploadStep::runProfileDialog(const QString *name)
{
    TfrmServerProfile dialog(m_host, m_controls.cbSites, m_host.hostWindow());
    if (name != nullptr)
        dialog.setProfile(*name, ProfileStore::loadConnectInfo(iniPath(), *name));
    // The dialog saves on OK itself; nothing else to commit.
    m_host.dialogs().runModal(dialog);
}

void UploadStep::cbSitesChange()
{
    m_editEnabled = true;
    updateButtons();
}

void UploadStep::btnUploadAddFilesClick()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("All Files|*.*");
    const QStringList chosen = m_host.dialogs().openFiles(m_host.hostWindow(), request);
    // The dialog's last file first; the same file may be listed twice.
    for (auto it = chosen.crbegin(); it != chosen.crend(); ++it)
        m_controls.lsbFiles->addItem(*it);
    updateButtons();
    SetFilesExtent();
}

void UploadStep::btnUploadRemoveClick()
{
    QListWidget *list = m_controls.lsbFiles;
    for (int row = list->count() - 1; row >= 0; --row) {
        if (list->item(row)->isSelected())
            delete list->takeItem(row);
    }
    updateButtons();
    SetFilesExtent();
}

void UploadStep::SetFilesExtent()
{
    QListWidget *list = m_controls.lsbFiles;
    const QFontMetrics metrics(list->font());
    int widest = 0;
    for (int row = 0; row < list->count(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(list->item(row)->text()));
    m_filesExtent = widest + 2;
}

void UploadStep::setFiles(const QStringList &paths)
{
    m_controls.lsbFiles->clear();
    m_controls.lsbFiles->addItems(paths);
    SetFilesExtent();
}

void UploadStep::clearFiles()
{
    m_controls.lsbFiles->clear();
    SetFilesExtent();
    updateButtons();
}

void UploadStep::pageSaved()
{
    if (m_running)
        return;
    m_controls.btnUploadRemove->setEnabled(true);
    m_controls.btnUpload->setEnabled(true);
}

void UploadStep::updateButtons()
{
    const bool files = m_controls.lsbFiles->count() > 0;
    const bool idle = !m_running;
    m_controls.cbSites->setEnabled(idle);
    m_controls.lsbFiles->setEnabled(idle);
    m_controls.btnUploadNew->setEnabled(idle);
    m_controls.btnUploadAddFiles->setEnabled(idle);
    m_controls.btnUploadEdit->setEnabled(idle && m_editEnabled);
    m_controls.btnUploadRemove->setEnabled(idle && files);
    m_controls.btnUpload->setEnabled(idle && files);
}

void UploadStep::setRunning(bool running)
{
    m_running = running;
    if (running)
        m_stopping = false;
    updateButtons();
}

void UploadStep::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void UploadStep::setStatus(const QString &text)
{
    if (text == m_controls.lblUpload3->text())
        return;
    m_controls.lblUpload3->setText(text);
    emit statusShown(text);
}

void UploadStep::setProgress(const QString &text)
{
    m_controls.lblUpload4->setText(text);
    emit progressShown(text);
}

void UploadStep::btnUploadClick()
{
    if (m_running || m_controls.lsbFiles->count() == 0)
        return;
    m_profileName = m_controls.cbSites->currentText();
    m_connectInfo = ProfileStore::loadConnectInfo(iniPath(), m_profileName);
    ConnectAndUpload();
}

void UploadStep::ConnectAndUpload()
{
    QStringList files;
    for (int row = 0; row < m_controls.lsbFiles->count(); ++row)
        files << m_controls.lsbFiles->item(row)->text();
    m_upload = new SiteUpload(this);
    m_upload->setProfile(m_connectInfo);
    // The list as it is now; saving a page meanwhile may replace it.
    m_upload->setFiles(files);
    m_upload->setTimeout(15);
    m_upload->onCertificate = [this](const TlsCertificateInfo &info, bool changed) {
        return ftpCertificate(info, changed);
    };
    connect(m_upload, &SiteUpload::statusChanged, this, &UploadStep::ftpStatus);
    connect(m_upload, &SiteUpload::progress, this, &UploadStep::ftpProgress);
    connect(m_upload, &SiteUpload::fileFinished, this, &UploadStep::ftpFileFinished);
    connect(m_upload, &SiteUpload::finished, this, &UploadStep::uploadFinished);
    m_sending.clear();
    m_sentBefore = 0;
    setRunning(true);
    setBusy(true);
    setStatus(m_host.messageText(Msg::Connecting));
    m_upload->start();
}

void UploadStep::ftpStatus(int message)
{
    // The end is told once the outcome is known.
    if (message == Msg::Disconnected)
        return;
    setStatus(m_host.messageText(message));
}

void UploadStep::ftpProgress(const QString &remoteName, qint64 count)
{
    m_sending.insert(remoteName, count);
    qint64 total = m_sentBefore;
    for (const qint64 bytes : std::as_const(m_sending))
        total += bytes;
    setProgress(QString::number(total) + QStringLiteral(" bytes"));
}

void UploadStep::ftpFileFinished(const UploadedFile &file)
{
    m_sentBefore += m_sending.take(file.remoteName);
}

void UploadStep::uploadFinished(const UploadOutcome &outcome)
{
    m_upload->deleteLater();
    m_upload = nullptr;
    setBusy(false);
    setProgress(QString());
    // Stopped by the user as the window closes: no box.
    if (outcome.stopped || m_stopping) {
        setStatus(m_host.messageText(Msg::Disconnected));
        setRunning(false);
        return;
    }
    const bool complete = outcome.complete();
    QString box;
    if (complete) {
        box = m_host.messageText(Msg::TransferComplete);
        setStatus(box);
    } else if (!outcome.connected) {
        box = errorText(m_host, outcome.failure);
    } else {
        setStatus(m_host.messageText(Msg::TransferIncomplete)
                      .arg(outcome.storedCount())
                      .arg(outcome.files.size()));
        box = incompleteText(outcome);
    }
    setStatus(m_host.messageText(Msg::Disconnected));
    setRunning(false);
    m_host.dialogs().message(m_host.hostWindow(),
        complete ? MessageKind::Information : MessageKind::Warning, box, ButtonSet::Ok);
}

QString UploadStep::incompleteText(const UploadOutcome &outcome) const
{
    const auto error = [this](const QString &reason) { return errorText(m_host, reason); };
    QString text = m_host.messageText(Msg::TransferIncomplete)
                       .arg(outcome.storedCount())
                       .arg(outcome.files.size());
    // Why the upload ended early; the files it never came to are in the count.
    if (!outcome.failure.isEmpty())
        text += QLatin1Char('\n') + error(outcome.failure);
    for (const UploadedFile &file : outcome.files) {
        if (file.stored || (file.reason.isEmpty() && !file.heldBack))
            continue;
        text += QLatin1String("\n\n")
            + m_host.messageText(Msg::UploadedFileName).arg(file.localPath) + QLatin1Char('\n')
            + (file.heldBack ? m_host.messageText(Msg::PageHeldBack) : error(file.reason));
    }
    return text;
}

bool UploadStep::ftpCertificate(const TlsCertificateInfo &info, bool changed)
{
    const QPointer<UploadStep> alive(this);
    // The question waits for the user: no busy cursor over it.
    const bool wasBusy = m_busy;
    setBusy(false);
    const bool trust = askToTrustCertificate(m_host, m_host.hostWindow(), info, changed);
    if (alive.isNull())
        return trust;
    setBusy(wasBusy);
    if (!trust)
        return false;
    const QString fingerprint = Fingerprints::format(info.sha256);
    m_connectInfo.trustedCertificate = fingerprint;
    // The upload goes on even when the file cannot take the trust; it is asked again then.
    const QString error
        = ProfileStore::storeTrustedCertificate(iniPath(), m_profileName, fingerprint);
    if (!error.isEmpty())
        m_host.dialogs().message(m_host.hostWindow(), MessageKind::Error, error, ButtonSet::Ok);
    return true;
}

bool UploadStep::stopForClose()
{
    if (!m_running)
        return true;
    if (m_host.dialogs().message(m_host.hostWindow(), MessageKind::Confirmation,
            m_host.messageText(Msg::StopUploadQuestion), ButtonSet::YesNo)
        != MessageAnswer::Yes)
        return false;
    m_stopping = true;
    if (m_upload != nullptr)
        m_upload->abort();
    return true;
}

void UploadStep::FormDestroy()
{
    if (m_upload != nullptr)
        m_upload->abort();
}
