#pragma once

#include <QString>
#include <QTemporaryDir>

// Certificates and keys made for one test run, never kept: a CA, and server certificates for
// 127.0.0.1 and localhost signed by it (good, expired, for another name), and self-signed
// ones (valid, expired, not valid yet). Each is written as PEM with its key in the same file.
// trustCa() makes the client take the CA as the system's store, through SSL_CERT_FILE, until the
// object goes.
class TestCertificates final {
public:
    enum Kind {
        Good,
        Expired,
        WrongName,
        SelfSigned,
        OtherSelfSigned,
        SelfSignedExpired,
        SelfSignedNotYetValid,
    };

    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates &) = delete;
    TestCertificates &operator=(const TestCertificates &) = delete;

    bool valid() const { return m_valid; }
    // The PEM file with the certificate and its key.
    QString file(Kind kind) const;
    QString caFile() const;
    // The SHA-256 of the certificate's DER form.
    QByteArray sha256(Kind kind) const;
    void trustCa();

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
    bool m_trusted = false;
    QByteArray m_oldCertFile;
    bool m_hadCertFile = false;
};
