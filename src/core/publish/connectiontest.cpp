#include "connectiontest.h"

#include "ftpexception.h"
#include "socketerrors.h"
#include "tftpclient.h"

#include <QPointer>

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

class Probe {
public:
    Probe(TFtpClient &client, const TConnectInfo &profile)
        : m_client(client)
    {
        client.SetHostName(profile.hostName.trimmed());
        client.SetPort(profile.port.trimmed());
        client.SetUserName(profile.userName);
        client.SetPassWord(profile.password);
        client.SetHostDirName(profile.initialDirectory);
        client.SetTransferMode(profile.transferMode);
        client.SetSecurity(profile.security);
        m_tls = profile.security != TFtpSecurity::None;
        client.SetTrustedFingerprint(profile.trustedCertificate);
        client.SetBinary(true);
        client.OnRequestDone
            = [this](TCustomFtpClient *, TFtpRequest, quint16 error) { m_error = error; };
        // The command that made the last data connection tells its mode.
        client.OnDisplay = [this](TCustomFtpClient *, const QString &line) {
            if (line.startsWith(QLatin1String("< 2")) && !m_sentCommand)
                m_greeted = true;
            if (line.startsWith(QLatin1String("> ")))
                m_sentCommand = true;
            if (line.startsWith(QLatin1String("> EPSV"))
                || line.startsWith(QLatin1String("> PASV")))
                m_passive = true;
            else if (line.startsWith(QLatin1String("> PORT")))
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
        if (!call(&TFtpClient::Open))
            return failed(openStep());
        if (!call(&TFtpClient::User))
            return failed(Step::Login);
        // 331 asks for the password; 230 has logged in without one.
        if (m_client.StatusCode() == 331 && !call(&TFtpClient::Pass))
            return failed(Step::Login);
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

    Step openStep() const
    {
        if (isLookupError(m_error))
            return Step::HostLookup;
        // Welcomed in plain text, then AUTH TLS or its handshake failed.
        if (m_greeted && m_tls)
            return Step::Security;
        if (isSocketError(m_error) || !m_client.IsConnected())
            return Step::Connect;
        return Step::Greeting;
    }

    ConnectionTestResult failed(Step step)
    {
        ConnectionTestResult result;
        result.failedAt = step;
        result.error = m_error;
        // A socket error reads better as its description than as the client's "500 ..." line.
        if (!m_refusal.isEmpty())
            result.detail = m_refusal;
        else if (isSocketError(m_error))
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
    int m_error = 0;
    QString m_refusal;
    bool m_passive = false;
    bool m_tls = false;
    bool m_greeted = false;
    bool m_sentCommand = false;
};

} // namespace

ConnectionTestResult testConnection(TFtpClient &client, const TConnectInfo &profile)
{
    Probe probe(client, profile);
    return probe.run();
}
