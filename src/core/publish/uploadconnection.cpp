#include "uploadconnection.h"

#include "ftpexception.h"
#include "ftpreplyreader.h"
#include "ftpresults.h"
#include "ftptexts.h"
#include "siteupload.h"

#include <QPointer>

namespace {

const QString TimeoutReason = QStringLiteral("426 Timeout");
const QString LostReason = QStringLiteral("421 Connection lost");

} // namespace

UploadConnection::UploadConnection(int number, const TConnectInfo &profile, QObject *parent)
    : QObject(parent)
    , m_number(number)
    , m_profile(profile)
{
    m_clock.setSingleShot(true);
    connect(&m_clock, &QTimer::timeout, this, &UploadConnection::timedOut);
    m_finalNames = !profile.renameAfterUpload;
}

UploadConnection::~UploadConnection()
{
    dropClient();
}

void UploadConnection::start()
{
    openClient();
    run(Stage::Connecting, &TCustomFtpClient::ConnectAsync);
}

void UploadConnection::store(int index, const QString &localPath, const QString &remoteName)
{
    m_index = index;
    m_localPath = localPath;
    m_remoteName = remoteName;
    m_failure.clear();
    storeCurrent();
}

void UploadConnection::quit(int waitMs)
{
    if (m_ftp == nullptr || !m_ftp->IsConnected() || m_stage != Stage::Ready) {
        dropClient();
        setStage(Stage::Quitting);
        // From the event loop, as a QUIT's end would come.
        QTimer::singleShot(0, this, [this] {
            if (m_stage != Stage::Quitting)
                return;
            setStage(Stage::Gone);
            if (onQuit)
                onQuit(this);
        });
        return;
    }
    m_timeoutMs = waitMs;
    run(Stage::Quitting, &TCustomFtpClient::QuitAsync);
}

void UploadConnection::abort()
{
    dropClient();
    setStage(Stage::Gone);
}

void UploadConnection::setStage(Stage stage)
{
    m_stage = stage;
}

// --- The client ----------------------------------------------------------------------------

void UploadConnection::openClient()
{
    dropClient();
    m_ftp = new TCustomFtpClient(this);
    m_ftp->SetHostName(m_profile.hostName);
    if (!m_profile.port.trimmed().isEmpty())
        m_ftp->SetPort(m_profile.port);
    m_ftp->SetUserName(m_profile.userName);
    m_ftp->SetPassWord(m_profile.password);
    m_ftp->SetHostDirName(m_profile.initialDirectory);
    m_ftp->SetBinary(true);
    m_ftp->SetShareMode(ftpShareExclusive);
    m_ftp->SetTransferMode(m_profile.transferMode);
    m_ftp->SetSecurity(m_profile.security);
    m_ftp->SetTrustedFingerprint(
        m_trustedFingerprint.isEmpty() ? m_profile.trustedCertificate : m_trustedFingerprint);
    // A client given up may still raise what it had posted; only the current one counts.
    m_ftp->OnRequestDone = [this](TCustomFtpClient *sender, TFtpRequest kind, quint16 error) {
        if (sender == m_ftp)
            requestDone(kind, error);
    };
    m_ftp->OnDisplay = [this](TCustomFtpClient *sender, const QString &line) {
        if (sender == m_ftp)
            display(line);
    };
    m_ftp->OnCommand = [this](TCustomFtpClient *sender, QString &command) {
        if (sender != m_ftp)
            return;
        m_lastVerb = command.section(u' ', 0, 0).toUpper();
        m_storeSent = m_storeSent || m_lastVerb == QLatin1String("STOR");
    };
    m_ftp->OnResponse = [this](TCustomFtpClient *sender) {
        // RFC 959, section 5.4: 125 or 150 means the server took the name for the transfer.
        if (sender == m_ftp && m_lastVerb == QLatin1String("STOR")
            && (sender->StatusCode() == 125 || sender->StatusCode() == 150))
            m_transferStarted = true;
    };
    m_ftp->OnProgress = [this](TCustomFtpClient *sender, qint64 count, bool &) {
        if (sender != m_ftp)
            return;
        m_clock.start(m_timeoutMs);
        if (onProgress)
            onProgress(m_remoteName, count);
    };
    m_ftp->OnCertificate = [this](TCustomFtpClient *sender, const TlsCertificateInfo &info,
                               bool changed, bool &trust) {
        if (sender != m_ftp)
            return;
        // The user may take longer than any request should.
        m_clock.stop();
        const QPointer<UploadConnection> self(this);
        trust = onCertificate && onCertificate(this, info, changed);
        if (!self.isNull() && sender == m_ftp)
            m_clock.start(m_timeoutMs);
    };
}

void UploadConnection::dropClient()
{
    m_clock.stop();
    if (m_ftp == nullptr)
        return;
    TCustomFtpClient *client = m_ftp;
    m_ftp = nullptr;
    client->Abort();
    // It may be inside one of its own events.
    client->deleteLater();
}

void UploadConnection::run(Stage stage, void (TCustomFtpClient::*start)())
{
    setStage(stage);
    m_refusal.clear();
    const quint64 attempt = ++m_attempt;
    m_clock.start(m_timeoutMs);
    try {
        (m_ftp->*start)();
    } catch (const FtpException &e) {
        m_refusal = e.message();
        display(QStringLiteral("! ") + e.message());
        // Ends as a refused request would, from the event loop.
        QTimer::singleShot(0, this, [this, attempt] {
            if (attempt == m_attempt && m_ftp != nullptr)
                requestDone(TFtpRequest::None, FtpResults::LocalFailure);
        });
    }
}

// --- Requests ended ------------------------------------------------------------------------

void UploadConnection::requestDone(TFtpRequest kind, quint16 error)
{
    Q_UNUSED(kind)
    m_clock.stop();
    switch (m_stage) {
    case Stage::Connecting:
        connectDone(error);
        return;
    case Stage::EnteringFolder:
        folderDone(error);
        return;
    case Stage::SettingType:
        typeDone(error);
        return;
    case Stage::Storing:
        storeDone(error);
        return;
    case Stage::Renaming:
        renameDone(error);
        return;
    case Stage::Deleting:
        deleteDone(error);
        return;
    case Stage::Quitting:
        quitDone();
        return;
    case Stage::Idle:
    case Stage::Ready:
    case Stage::Gone:
        return;
    }
}

void UploadConnection::connectDone(quint16 error)
{
    if (error != 0) {
        end(reason(error));
        return;
    }
    run(Stage::EnteringFolder,
        m_profile.initialDirectory.isEmpty() ? &TCustomFtpClient::PrintDirAsync
                                             : &TCustomFtpClient::ChangeDirAsync);
}

void UploadConnection::folderDone(quint16 error)
{
    if (error != 0) {
        end(reason(error));
        return;
    }
    run(Stage::SettingType, &TCustomFtpClient::SetTypeAsync);
}

void UploadConnection::typeDone(quint16 error)
{
    if (error != 0) {
        end(reason(error));
        return;
    }
    m_loggedIn = true;
    // A file cut by the loss of the connection goes again.
    if (m_index >= 0)
        storeCurrent();
    else
        setStage(Stage::Ready);
    if (onLoggedIn)
        onLoggedIn(this);
}

void UploadConnection::storeCurrent()
{
    m_underTemporary = !m_finalNames;
    m_storeSent = false;
    m_transferStarted = false;
    m_ftp->SetHostFileName(
        m_underTemporary ? SiteUpload::temporaryName(m_remoteName) : m_remoteName);
    m_ftp->SetLocalFileName(m_localPath);
    run(Stage::Storing, &TCustomFtpClient::PutAsync);
}

void UploadConnection::storeDone(quint16 error)
{
    // A 421 to SIZE ends the put without a size checked: the file is not known to be whole.
    if (connectionLost()) {
        lose(reason(error));
        return;
    }
    if (error == 0) {
        if (m_underTemporary)
            rename();
        else
            finishFile(true, QString());
        return;
    }
    const QString why = reason(error);
    // RFC 959, section 5.4: a 5xx to STOR itself refuses the name, not the transfer.
    if (m_underTemporary && m_storeSent && !m_transferStarted && error >= 500 && error <= 599
        && !m_ftp->DataConnectionFailed()) {
        fallBack(QStringLiteral("! The server refused the temporary name (%1); storing under the "
                                "final names from now on")
                     .arg(why));
        storeCurrent();
        return;
    }
    m_failure = why;
    if (m_underTemporary && m_storeSent)
        deleteTemporary(AfterDelete::FailFile);
    else
        finishFile(false, why);
}

void UploadConnection::rename()
{
    m_ftp->SetHostFileName(SiteUpload::temporaryName(m_remoteName));
    m_ftp->SetRenameTarget(m_remoteName);
    run(Stage::Renaming, &TCustomFtpClient::RenameAsync);
}

void UploadConnection::renameDone(quint16 error)
{
    if (error == 0) {
        finishFile(true, QString());
        return;
    }
    renameRefused(error);
}

void UploadConnection::renameRefused(quint16 error)
{
    if (connectionLost()) {
        lose(reason(error));
        return;
    }
    fallBack(QStringLiteral(
        "! The server refused the rename (%1); storing under the final names from now on")
                 .arg(reason(error)));
    deleteTemporary(AfterDelete::StoreUnderFinalName);
}

void UploadConnection::deleteTemporary(AfterDelete after)
{
    m_afterDelete = after;
    m_ftp->SetHostFileName(SiteUpload::temporaryName(m_remoteName));
    run(Stage::Deleting, &TCustomFtpClient::DeleteAsync);
}

void UploadConnection::deleteDone(quint16 error)
{
    // A temporary file that cannot be deleted is replaced by the next upload.
    if (connectionLost()) {
        lostWhileDeleting(reason(error));
        return;
    }
    if (m_afterDelete == AfterDelete::StoreUnderFinalName)
        storeCurrent();
    else
        finishFile(false, m_failure);
}

void UploadConnection::lostWhileDeleting(const QString &why)
{
    if (m_afterDelete == AfterDelete::StoreUnderFinalName) {
        lose(why);
        return;
    }
    // The file's own failure stands; the connection is made again for the files after it.
    const int index = std::exchange(m_index, -1);
    if (onFileDone)
        onFileDone(this, index, false, m_failure);
    if (m_stage == Stage::Deleting)
        lose(why);
}

void UploadConnection::quitDone()
{
    dropClient();
    setStage(Stage::Gone);
    if (onQuit)
        onQuit(this);
}

void UploadConnection::timedOut()
{
    switch (m_stage) {
    case Stage::Quitting:
        quitDone();
        return;
    case Stage::Connecting:
    case Stage::EnteringFolder:
    case Stage::SettingType:
        end(TimeoutReason);
        return;
    case Stage::Deleting:
        dropClient();
        lostWhileDeleting(TimeoutReason);
        return;
    case Stage::Storing:
    case Stage::Renaming:
        lose(TimeoutReason);
        return;
    case Stage::Idle:
    case Stage::Ready:
    case Stage::Gone:
        return;
    }
}

// --- Outcomes ------------------------------------------------------------------------------

void UploadConnection::fallBack(const QString &why)
{
    m_finalNames = true;
    display(why);
}

void UploadConnection::finishFile(bool stored, const QString &reason)
{
    const int index = std::exchange(m_index, -1);
    setStage(Stage::Ready);
    if (onFileDone)
        onFileDone(this, index, stored, reason);
}

void UploadConnection::lose(const QString &reason)
{
    dropClient();
    if (m_reconnected || !m_loggedIn) {
        end(reason);
        return;
    }
    m_reconnected = true;
    display(QStringLiteral("! Connection lost (%1); connecting again").arg(reason));
    setStage(Stage::Connecting);
    if (onReconnecting)
        onReconnecting(this);
    if (m_stage != Stage::Connecting)
        return;
    openClient();
    run(Stage::Connecting, &TCustomFtpClient::ConnectAsync);
}

void UploadConnection::end(const QString &reason)
{
    const int index = std::exchange(m_index, -1);
    dropClient();
    setStage(Stage::Gone);
    if (onEnded)
        onEnded(this, reason, index);
}

QString UploadConnection::reason(quint16 error) const
{
    if (!m_refusal.isEmpty())
        return m_refusal;
    if (m_ftp != nullptr) {
        // Chained requests and the rename clear the message as they start; single commands
        // keep an old one, so theirs is the reply that ended them.
        const bool chained = m_stage == Stage::Connecting || m_stage == Stage::Storing
            || m_stage == Stage::Renaming;
        if (chained && !m_ftp->ErrorMessage().isEmpty())
            return m_ftp->ErrorMessage();
        if (FtpReplyReader::isReplyCode(m_ftp->StatusCode()) && !m_ftp->LastResponse().isEmpty()
            && (m_ftp->StatusCode() == error
                || m_ftp->StatusCode() == FtpResults::ConnectionClosed))
            return m_ftp->LastResponse();
        if (error >= 10000)
            return FtpTexts::socketErrorLine(error);
        if (!m_ftp->ErrorMessage().isEmpty())
            return m_ftp->ErrorMessage();
    }
    return LostReason;
}

bool UploadConnection::connectionLost() const
{
    // RFC 959, section 5.4: 421 tells that the server is closing the connection.
    return m_ftp == nullptr || !m_ftp->IsConnected()
        || m_ftp->StatusCode() == FtpResults::ConnectionClosed;
}

void UploadConnection::display(const QString &line)
{
    if (!onDisplay)
        return;
    onDisplay(m_number > 1 ? QStringLiteral("[%1] %2").arg(m_number).arg(line) : line);
}
