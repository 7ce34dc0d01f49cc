#include "connectiontest.h"

#include "ftpexception.h"
#include "ftpresults.h"
#include "socketerrors.h"
#include "tftpclient.h"

namespace {

using Step = ConnectionTestResult::Step;

// WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY and WSANO_DATA: the resolver's answers.
bool isLookupError(int error)
{
    return error >= SocketErrors::HostNotFound && error <= SocketErrors::NoData;
}

// A socket error number rather than an FTP reply code.
bool isSocketError(int error)
{
    return error >= 10000;
}

// Implicit FTPS has a port of its own (RFC 4217, section 1; IANA "ftps").
constexpr int kImplicitTlsPort = 990;

class Probe {
public:
    Probe(TFtpClient &client, const TConnectInfo &profile)
        : m_client(client)
        , m_security(profile.security)
        , m_port(profile.port.trimmed().toInt())
    {
        client.SetHostName(profile.hostName.trimmed());
        client.SetPort(profile.port.trimmed());
        client.SetUserName(profile.userName);
        client.SetPassWord(profile.password);
        client.SetHostDirName(profile.initialDirectory);
        client.SetTransferMode(profile.transferMode);
        client.SetSecurity(profile.security);
        client.SetTrustedFingerprint(profile.trustedCertificate);
        client.SetBinary(true);
        client.OnRequestDone
            = [this](TCustomFtpClient *, TFtpRequest, quint16 error) { m_error = error; };
        // The lines tell how far the connect came, and the mode of the last data connection.
        client.OnDisplay = [this](TCustomFtpClient *, const QString &line) {
            if (line.startsWith(QLatin1String("< "))) {
                m_replied = true;
                if (line.startsWith(QLatin1String("< 2")) && m_lastCommand.isEmpty())
                    m_greeted = true;
            } else if (line.startsWith(QLatin1String("> "))) {
                m_lastCommand = line.mid(2).section(u' ', 0, 0).toUpper();
            } else if (line == QLatin1String("! TLS started")) {
                m_tlsStarted = true;
            }
            if (m_lastCommand == QLatin1String("EPSV") || m_lastCommand == QLatin1String("PASV"))
                m_passive = true;
            else if (m_lastCommand == QLatin1String("PORT"))
                m_passive = false;
        };
    }

    ~Probe()
    {
        m_client.OnRequestDone = nullptr;
        m_client.OnDisplay = nullptr;
    }

    Probe(const Probe &) = delete;
    Probe &operator=(const Probe &) = delete;

    ConnectionTestResult run()
    {
        // As an upload connects: the login, then PBSZ and PROT on a protected connection, then
        // FEAT; the listing then runs over TLS as the files would.
        if (!call(&TFtpClient::Connect))
            return failed(connectStep());
        if (!m_client.HostDirName().isEmpty() && !call(&TFtpClient::ChangeDir))
            return failed(Step::Directory);
        if (!call(&TFtpClient::List))
            return failed(m_client.DataConnectionFailed() ? Step::DataConnection : Step::Listing);
        ConnectionTestResult result;
        result.passive = m_passive;
        result.secure = m_client.IsSecure();
        // The test has shown what it was for; a refused QUIT changes nothing.
        call(&TFtpClient::Quit);
        return result;
    }

private:
    bool call(bool (TFtpClient::*request)())
    {
        m_error = 0;
        m_refusal.clear();
        try {
            if ((m_client.*request)())
                return true;
        } catch (const FtpException &e) {
            // Refused before it started: an empty field, a line break in a value.
            m_refusal = e.message();
        }
        if (m_error == 0)
            m_error = m_client.StatusCode();
        return false;
    }

    // The step of the connect that failed, told by what went over the connection.
    Step connectStep()
    {
        if (isLookupError(m_error))
            return Step::HostLookup;
        if (!m_client.SessionOpened())
            return Step::Connect;
        if (!m_replied && !m_tlsStarted) {
            if (m_client.TlsInsteadOfReply()) {
                m_implicitTlsLikely = true;
                return Step::NoAnswer;
            }
            // Aborted by the blocking call's limit: the server took the connection and kept
            // silent, as an implicit TLS server does for a client that does not start TLS.
            if (m_error == FtpResults::TransferFailed) {
                m_implicitTlsLikely
                    = m_port == kImplicitTlsPort && m_security != TFtpSecurity::Implicit;
                return Step::NoAnswer;
            }
            // Implicit TLS: the handshake or the certificate failed before any reply.
            if (m_security == TFtpSecurity::Implicit)
                return Step::Security;
            return Step::Greeting;
        }
        if (!m_greeted)
            return Step::Greeting;
        if (m_lastCommand == QLatin1String("PBSZ") || m_lastCommand == QLatin1String("PROT"))
            return Step::Security;
        if (m_lastCommand == QLatin1String("AUTH") && !m_tlsStarted)
            return Step::Security;
        // USER or PASS refused, by the server or before it was sent (an empty field).
        return Step::Login;
    }

    ConnectionTestResult failed(Step step)
    {
        ConnectionTestResult result;
        result.failedAt = step;
        result.error = m_error;
        result.implicitTlsLikely = m_implicitTlsLikely;
        // A socket error reads better as its description than as the client's "500 ..." line.
        if (!m_refusal.isEmpty())
            result.detail = m_refusal;
        else if (isSocketError(m_error) && step != Step::Security)
            result.detail = SocketErrors::description(m_error);
        else
            result.detail = m_client.ErrorMessage();
        if (result.detail.isEmpty())
            result.detail = m_client.LastResponse();
        result.passive = m_passive;
        if (m_client.IsConnected())
            m_client.Abort();
        return result;
    }

    TFtpClient &m_client;
    TFtpSecurity m_security;
    int m_port;
    int m_error = 0;
    QString m_refusal;
    QString m_lastCommand;
    bool m_passive = false;
    bool m_replied = false;
    bool m_greeted = false;
    bool m_tlsStarted = false;
    bool m_implicitTlsLikely = false;
};

} // namespace

ConnectionTestResult testConnection(TFtpClient &client, const TConnectInfo &profile)
{
    Probe probe(client, profile);
    return probe.run();
}
