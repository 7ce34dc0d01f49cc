#include "siteupload.h"

#include "messagenumbers.h"
#include "uploadconnection.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

const QString StoppedReason = QStringLiteral("Stopped by the user");
const QString HeldBackReason
    = QStringLiteral("Not sent, so that the page on the server does not point at a file that "
                     "did not arrive");

} // namespace

qsizetype UploadOutcome::storedCount() const
{
    return std::count_if(
        files.cbegin(), files.cend(), [](const UploadedFile &file) { return file.stored; });
}

bool UploadOutcome::complete() const
{
    return storedCount() == qsizetype(files.size());
}

QString SiteUpload::temporaryName(const QString &remoteName)
{
    return QLatin1Char('.') + remoteName + QStringLiteral(".zephyro-upload");
}

QString SiteUpload::remoteNameOf(const QString &localPath)
{
    const qsizetype slash = std::max(localPath.lastIndexOf(u'/'), localPath.lastIndexOf(u'\\'));
    return localPath.mid(slash + 1);
}

SiteUpload::SiteUpload(QObject *parent)
    : QObject(parent)
{}

SiteUpload::~SiteUpload()
{
    for (UploadConnection *link : m_links)
        link->abort();
}

void SiteUpload::setProfile(const TConnectInfo &profile)
{
    m_profile = profile;
}

void SiteUpload::setFiles(const QStringList &localPaths)
{
    m_files = localPaths;
}

void SiteUpload::setConnections(int count)
{
    m_connections = std::clamp(count, 1, MaxConnections);
}

void SiteUpload::setTimeout(int seconds)
{
    m_timeout = std::max(seconds, 1);
}

void SiteUpload::start()
{
    if (m_running)
        return;
    m_running = true;
    m_quitting = false;
    m_outcome = UploadOutcome();
    for (const QString &path : std::as_const(m_files))
        m_outcome.files.push_back({path, remoteNameOf(path), false, QString()});
    m_pictures.clear();
    for (int index = 0; index + 1 < int(m_files.size()); ++index)
        m_pictures.push_back(index);
    m_page = int(m_files.size()) - 1;
    m_pageTaken = false;
    m_sending.clear();
    m_finishedCount = 0;
    m_trustedFingerprint.clear();
    m_certificateAsked = false;
    m_lastLoss.clear();
    m_status = 0;
    m_nextNumber = 1;
    if (m_files.isEmpty()) {
        // Nothing to send: done, from the event loop as always.
        QTimer::singleShot(0, this, [this] {
            if (m_running)
                finish();
        });
        return;
    }
    status(Msg::Connecting);
    addConnection()->start();
}

void SiteUpload::abort()
{
    if (!m_running)
        return;
    m_running = false;
    const std::vector<UploadConnection *> links = std::exchange(m_links, {});
    for (UploadConnection *link : links) {
        link->abort();
        link->deleteLater();
    }
    m_outcome.stopped = true;
    m_outcome.failure = StoppedReason;
    for (UploadedFile &file : m_outcome.files) {
        if (!file.stored && file.reason.isEmpty())
            file.reason = StoppedReason;
    }
    emit finished(m_outcome);
}

UploadConnection *SiteUpload::addConnection()
{
    auto *link = new UploadConnection(m_nextNumber++, m_profile, this);
    link->setTimeout(m_timeout);
    link->setTrustedFingerprint(m_trustedFingerprint);
    link->onLoggedIn = [this](UploadConnection *sender) { loggedIn(sender); };
    link->onReconnecting = [this](UploadConnection *) { status(Msg::Reconnecting); };
    link->onFileDone = [this](UploadConnection *sender, int index, bool stored,
                           const QString &reason) { fileDone(sender, index, stored, reason); };
    link->onEnded = [this](UploadConnection *sender, const QString &reason, int pending) {
        ended(sender, reason, pending);
    };
    link->onQuit = [this](UploadConnection *sender) { quitDone(sender); };
    link->onProgress = [this](const QString &name, qint64 bytes) { emit progress(name, bytes); };
    link->onDisplay = [this](const QString &line) { emit display(line); };
    link->onCertificate = [this](UploadConnection *sender, const TlsCertificateInfo &info,
                              bool changed) { return askCertificate(sender, info, changed); };
    m_links.push_back(link);
    return link;
}

bool SiteUpload::askCertificate(
    UploadConnection *link, const TlsCertificateInfo &info, bool changed)
{
    // One question per upload: the other connections take its answer.
    if (link->number() != 1 || m_certificateAsked || !onCertificate)
        return false;
    m_certificateAsked = true;
    const QPointer<SiteUpload> self(this);
    const bool trusted = onCertificate(info, changed);
    if (self.isNull() || !m_running)
        return false;
    if (trusted)
        m_trustedFingerprint = Fingerprints::format(info.sha256);
    return trusted;
}

void SiteUpload::loggedIn(UploadConnection *link)
{
    if (link->number() == 1 && !m_outcome.connected) {
        m_outcome.connected = true;
        status(m_profile.security == TFtpSecurity::ExplicitIfAvailable && !link->secure()
                ? Msg::ConnectedNotEncrypted
                : Msg::Connected);
        if (!m_running)
            return;
        // Only now: one password failure, one certificate question.
        const int extra = std::min<int>(m_connections, int(m_pictures.size())) - 1;
        for (int i = 0; i < extra; ++i)
            addConnection()->start();
    }
    status(Msg::TransferringFiles);
    if (!m_running)
        return;
    dispatch();
    checkDone();
}

void SiteUpload::dispatch()
{
    const std::vector<UploadConnection *> links = m_links;
    for (UploadConnection *link : links) {
        if (!m_running || m_quitting)
            return;
        if (!link->waiting())
            continue;
        // Two files of one name at once would share the temporary name: the later waits.
        const auto free = std::find_if(m_pictures.begin(), m_pictures.end(),
            [this](int index) { return !nameBeingSent(index); });
        int index = -1;
        if (free != m_pictures.end()) {
            index = *free;
            m_pictures.erase(free);
        } else if (m_page >= 0 && !m_pageTaken && m_pictures.empty() && m_sending.empty()) {
            // The page goes last, so that it never points at a picture not yet there.
            m_pageTaken = true;
            if (holdPageBack())
                continue;
            index = m_page;
        } else {
            continue;
        }
        m_sending.push_back(index);
        const UploadedFile &file = m_outcome.files.at(std::size_t(index));
        link->store(index, file.localPath, file.remoteName);
    }
}

bool SiteUpload::nameBeingSent(int index) const
{
    const QString &name = m_outcome.files.at(std::size_t(index)).remoteName;
    return std::any_of(m_sending.cbegin(), m_sending.cend(),
        [&](int sending) { return m_outcome.files.at(std::size_t(sending)).remoteName == name; });
}

bool SiteUpload::holdPageBack()
{
    // A page sent after a picture failed would point at what is not there, or at the old
    // picture; the old page stays, with the pictures it knows.
    const bool pictureMissing = std::any_of(m_outcome.files.cbegin(),
        m_outcome.files.cbegin() + m_page, [](const UploadedFile &file) { return !file.stored; });
    if (!pictureMissing)
        return false;
    UploadedFile &page = m_outcome.files.at(std::size_t(m_page));
    page.heldBack = true;
    page.reason = HeldBackReason;
    ++m_finishedCount;
    emit fileFinished(page);
    return true;
}

void SiteUpload::sent(int index)
{
    const auto found = std::find(m_sending.begin(), m_sending.end(), index);
    if (found != m_sending.end())
        m_sending.erase(found);
}

void SiteUpload::fileDone(UploadConnection *link, int index, bool stored, const QString &reason)
{
    Q_UNUSED(link)
    if (!m_running || index < 0)
        return;
    sent(index);
    ++m_finishedCount;
    UploadedFile &file = m_outcome.files.at(std::size_t(index));
    file.stored = stored;
    file.reason = stored ? QString() : reason;
    emit fileFinished(file);
    if (!m_running)
        return;
    dispatch();
    checkDone();
}

void SiteUpload::ended(UploadConnection *link, const QString &reason, int pendingIndex)
{
    if (!m_running)
        return;
    forget(link);
    if (pendingIndex >= 0) {
        sent(pendingIndex);
        if (pendingIndex == m_page)
            m_pageTaken = false;
        else
            m_pictures.push_front(pendingIndex);
    }
    if (m_quitting) {
        checkDone();
        return;
    }
    if (!link->hasLoggedIn() && link->number() == 1) {
        // The upload cannot start: the login, the folder or the certificate was refused.
        m_outcome.failure = reason;
        for (UploadedFile &file : m_outcome.files)
            file.reason = reason;
        for (UploadConnection *other : std::exchange(m_links, {})) {
            other->abort();
            other->deleteLater();
        }
        finish();
        return;
    }
    if (link->hasLoggedIn()) {
        m_lastLoss = reason;
        emit display(QStringLiteral("! Connection %1 ended: %2").arg(link->number()).arg(reason));
    } else {
        emit display(
            QStringLiteral("! Connection %1 not made: %2").arg(link->number()).arg(reason));
        if (m_lastLoss.isEmpty())
            m_lastLoss = reason;
    }
    if (!m_running)
        return;
    dispatch();
    checkDone();
}

void SiteUpload::checkDone()
{
    if (!m_running)
        return;
    if (m_quitting) {
        if (m_links.empty())
            finish();
        return;
    }
    if (m_finishedCount == qsizetype(m_outcome.files.size())) {
        quitAll();
        return;
    }
    if (!m_links.empty())
        return;
    // No connection is left for the files still to go.
    m_outcome.failure = m_lastLoss;
    for (UploadedFile &file : m_outcome.files) {
        if (file.stored || !file.reason.isEmpty())
            continue;
        file.reason = m_lastLoss;
        emit fileFinished(file);
        if (!m_running)
            return;
    }
    finish();
}

void SiteUpload::quitAll()
{
    m_quitting = true;
    if (m_outcome.complete())
        status(Msg::TransferComplete);
    if (!m_running)
        return;
    const std::vector<UploadConnection *> links = m_links;
    for (UploadConnection *link : links) {
        if (link->waiting()) {
            link->quit(QuitWaitMs);
        } else {
            // Still connecting: it has nothing to do.
            forget(link);
            link->abort();
        }
    }
    checkDone();
}

void SiteUpload::quitDone(UploadConnection *link)
{
    forget(link);
    checkDone();
}

void SiteUpload::forget(UploadConnection *link)
{
    const auto found = std::find(m_links.begin(), m_links.end(), link);
    if (found == m_links.end())
        return;
    m_links.erase(found);
    link->deleteLater();
}

void SiteUpload::finish()
{
    status(Msg::Disconnected);
    m_running = false;
    emit finished(m_outcome);
}

void SiteUpload::status(int message)
{
    if (message == m_status)
        return;
    m_status = message;
    emit statusChanged(message);
}
