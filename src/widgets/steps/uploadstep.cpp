#include "uploadstep.h"

#include "certificatequestion.h"
#include "messagenumbers.h"
#include "profilestore.h"
#include "tfrmserverprofile.h"
#include "tftpclient.h"
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

// Fixed English texts: the message table has no numbers for them.

// The text after the last path delimiter: the name the file gets on the server.
QString remoteName(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

} // namespace

UploadStep::UploadStep(const UploadControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
    , m_ftp(new TFtpClient(this))
{
    m_ftp->setObjectName(QStringLiteral("ftp"));
    m_ftp->SetTimeout(15);
    m_ftp->SetMultiThreaded(false);
    m_ftp->SetPort(QStringLiteral("ftp"));
    m_ftp->SetDisplayFlag(false);
    m_ftp->SetBinary(true);
    m_ftp->SetShareMode(ftpShareExclusive);
    m_ftp->OnProgress = [this](TCustomFtpClient *, qint64 count, bool &) { ftpProgress(count); };
    m_ftp->OnRequestDone = [this](TCustomFtpClient *, TFtpRequest rqType, quint16 error) {
        ftpRequestDone(rqType, error);
    };
    m_ftp->OnCertificate = [this](TCustomFtpClient *, const TlsCertificateInfo &info, bool changed,
                               bool &trust) { trust = ftpCertificate(info, changed); };

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
    // Gone in the middle of an upload: a blocking call further up the stack still waits on
    // the client, which must outlive it and no longer call back here.
    m_ftp->OnProgress = {};
    m_ftp->OnRequestDone = {};
    m_ftp->OnCertificate = {};
    if (m_running) {
        m_ftp->Abort();
        m_ftp->setParent(nullptr);
        m_ftp->deleteLater();
    }
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
    if (m_running)
        return;
    m_profileName = m_controls.cbSites->currentText();
    m_connectInfo = ProfileStore::loadConnectInfo(iniPath(), m_profileName);
    ConnectAndUpload();
}

void UploadStep::ConnectAndUpload()
{
    // Every blocking call runs the event loop, in which the window may go; then this object
    // is gone too and nothing of it may be touched.
    const QPointer<UploadStep> alive(this);
    setRunning(true);
    if (m_ftp->IsConnected()) {
        m_ftp->Quit();
        if (alive.isNull())
            return;
    }
    setBusy(true);
    setStatus(m_host.messageText(Msg::Connecting));
    QCoreApplication::processEvents();
    if (alive.isNull())
        return;

    m_ftp->SetBinary(true);
    m_ftp->SetHostName(m_connectInfo.hostName);
    m_ftp->SetPort(m_connectInfo.port);
    m_ftp->SetTransferMode(m_connectInfo.transferMode);
    m_ftp->SetSecurity(m_connectInfo.security);
    m_ftp->SetTrustedFingerprint(m_connectInfo.trustedCertificate);
    m_ftp->SetUserName(m_connectInfo.userName);
    m_ftp->SetPassWord(m_connectInfo.password);
    m_ftp->SetHostDirName(m_connectInfo.initialDirectory);
    // Its request-done event changes to the profile's directory before this returns.
    m_ftp->Connect();
    if (alive.isNull())
        return;
    if (m_ftp->IsConnected() && !m_stopping) {
        // Only this choice can end up in plain text without the user having asked for it.
        const bool fellBack
            = m_connectInfo.security == TFtpSecurity::ExplicitIfAvailable && !m_ftp->IsSecure();
        setStatus(m_host.messageText(fellBack ? Msg::ConnectedNotEncrypted : Msg::Connected));
        TransferFiles();
        if (alive.isNull())
            return;
    } else {
        setBusy(false);
        setStatus(m_host.messageText(Msg::Disconnected));
    }
    setBusy(false);
    setRunning(false);
}

void UploadStep::TransferFiles()
{
    if (!m_ftp->IsConnected())
        return;
    const QPointer<UploadStep> alive(this);
    setStatus(m_host.messageText(Msg::TransferringFiles));
    m_ftp->SetType();
    if (alive.isNull())
        return;

    // The list as it was when Upload was pressed; saving a page meanwhile may replace it.
    QStringList files;
    for (int row = 0; row < m_controls.lsbFiles->count(); ++row)
        files << m_controls.lsbFiles->item(row)->text();
    qsizetype sent = 0;
    for (const QString &path : std::as_const(files)) {
        // A failure has closed the connection: the rest are not tried.
        if (m_stopping || !m_ftp->IsConnected())
            break;
        m_ftp->SetHostFileName(remoteName(path));
        m_ftp->SetLocalFileName(path);
        m_currentFile = path;
        const bool stored = m_ftp->Put();
        if (alive.isNull())
            return;
        if (stored)
            ++sent;
    }
    // After a timeout the request-done event comes late: its warning goes before the
    // final box.
    QCoreApplication::processEvents();
    if (alive.isNull())
        return;
    m_currentFile.clear();

    setBusy(false);
    const QString outcome = sent == files.size()
        ? m_host.messageText(Msg::TransferComplete)
        : m_host.messageText(Msg::TransferIncomplete).arg(sent).arg(files.size());
    setStatus(outcome);
    setProgress(QString());
    if (m_ftp->IsConnected()) {
        m_ftp->Quit();
        if (alive.isNull())
            return;
    }
    setStatus(m_host.messageText(Msg::Disconnected));
    if (!m_stopping)
        m_host.dialogs().message(
            m_host.hostWindow(), MessageKind::Information, outcome, ButtonSet::Ok);
}

void UploadStep::ftpRequestDone(TFtpRequest rqType, quint16 error)
{
    const QPointer<UploadStep> alive(this);
    if (error != 0) {
        setBusy(false);
        // Stopped by the user as the window closes: no box.
        if (m_stopping)
            return;
        QString text = QStringLiteral("Error ") + m_ftp->ErrorMessage() + QLatin1Char(' ')
            + m_host.messageText(Msg::CouldNotCompleteRequest);
        // Name the file that failed, unless the client's message already does.
        if (rqType == TFtpRequest::Put && !m_currentFile.isEmpty()
            && !m_ftp->ErrorMessage().contains(m_currentFile))
            text += QStringLiteral("\nFile: ") + m_currentFile;
        if (m_ftp->IsConnected()) {
            m_ftp->Quit();
            if (alive.isNull())
                return;
            setStatus(m_host.messageText(Msg::Disconnected));
        }
        m_host.dialogs().message(m_host.hostWindow(), MessageKind::Warning, text, ButtonSet::Ok);
        return;
    }
    if (rqType == TFtpRequest::Connect) {
        if (!m_connectInfo.initialDirectory.isEmpty())
            m_ftp->ChangeDir();
        else
            m_ftp->PrintDir();
    }
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

void UploadStep::ftpProgress(qint64 count)
{
    setProgress(QString::number(count) + QStringLiteral(" bytes"));
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
    m_ftp->Abort();
    return true;
}

void UploadStep::FormDestroy()
{
    if (!m_running && m_ftp->IsConnected())
        m_ftp->Quit();
}
