#include "testcertificates.h"

#include <QFile>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace {

constexpr long Day = 24 * 60 * 60;

EVP_PKEY *newKey()
{
    return EVP_EC_gen("P-256");
}

void addExtension(X509 *cert, X509 *issuer, int nid, const char *value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension != nullptr) {
        X509_add_ext(cert, extension, -1);
        X509_EXTENSION_free(extension);
    }
}

// A certificate for key, signed by issuer (itself when null), valid from..to seconds from now.
X509 *makeCertificate(EVP_PKEY *key, const char *commonName, const char *altNames, X509 *issuer,
    EVP_PKEY *issuerKey, long from, long to, bool ca, long serial)
{
    X509 *cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), from);
    X509_gmtime_adj(X509_getm_notAfter(cert), to);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>(commonName), -1, -1, 0);
    X509_set_issuer_name(cert, issuer != nullptr ? X509_get_subject_name(issuer) : name);
    X509 *signer = issuer != nullptr ? issuer : cert;
    addExtension(cert, signer, NID_basic_constraints, ca ? "critical,CA:TRUE" : "CA:FALSE");
    addExtension(cert, signer, NID_subject_key_identifier, "hash");
    addExtension(cert, signer, NID_authority_key_identifier, "keyid");
    if (ca)
        addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    if (altNames != nullptr)
        addExtension(cert, signer, NID_subject_alt_name, altNames);
    X509_sign(cert, issuerKey != nullptr ? issuerKey : key, EVP_sha256());
    return cert;
}

bool writePem(const QString &path, X509 *cert, EVP_PKEY *key)
{
    BIO *out = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(out, cert);
    if (key != nullptr)
        PEM_write_bio_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
    char *bytes = nullptr;
    const long length = BIO_get_mem_data(out, &bytes);
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes, length) == length;
    BIO_free(out);
    return written;
}

const char *const fileNames[] = {"good.pem", "expired.pem", "wrongname.pem", "selfsigned.pem",
    "otherselfsigned.pem", "selfsignedexpired.pem", "selfsignednotyetvalid.pem"};

} // namespace

TestCertificates::TestCertificates()
{
    if (!m_dir.isValid())
        return;
    EVP_PKEY *caKey = newKey();
    X509 *ca = makeCertificate(
        caKey, "Zephyro Test CA", nullptr, nullptr, nullptr, -Day, 30 * Day, true, 1);
    m_valid = writePem(caFile(), ca, nullptr);
    struct Made {
        Kind kind;
        const char *commonName;
        const char *altNames;
        bool selfSigned;
        long from, to;
    };
    const Made made[] = {
        {Good, "localhost", "DNS:localhost,IP:127.0.0.1", false, -Day, 30 * Day},
        {Expired, "localhost", "DNS:localhost,IP:127.0.0.1", false, -30 * Day, -Day},
        {WrongName, "ftp.example.com", "DNS:ftp.example.com", false, -Day, 30 * Day},
        {SelfSigned, "localhost", "DNS:localhost,IP:127.0.0.1", true, -Day, 30 * Day},
        {OtherSelfSigned, "localhost", "DNS:localhost,IP:127.0.0.1", true, -Day, 30 * Day},
        {SelfSignedExpired, "localhost", "DNS:localhost,IP:127.0.0.1", true, -30 * Day, -Day},
        {SelfSignedNotYetValid, "localhost", "DNS:localhost,IP:127.0.0.1", true, Day, 30 * Day},
    };
    long serial = 2;
    for (const Made &m : made) {
        EVP_PKEY *key = newKey();
        X509 *cert = makeCertificate(key, m.commonName, m.altNames, m.selfSigned ? nullptr : ca,
            m.selfSigned ? nullptr : caKey, m.from, m.to, false, serial++);
        m_valid = m_valid && key != nullptr && writePem(file(m.kind), cert, key);
        X509_free(cert);
        EVP_PKEY_free(key);
    }
    X509_free(ca);
    EVP_PKEY_free(caKey);
}

TestCertificates::~TestCertificates()
{
    if (!m_trusted)
        return;
    if (m_hadCertFile)
        qputenv("SSL_CERT_FILE", m_oldCertFile);
    else
        qunsetenv("SSL_CERT_FILE");
}

QString TestCertificates::file(Kind kind) const
{
    return m_dir.filePath(QLatin1String(fileNames[kind]));
}

QByteArray TestCertificates::sha256(Kind kind) const
{
    QFile in(file(kind));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pem = in.readAll();
    BIO *text = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    X509 *cert = PEM_read_bio_X509(text, nullptr, nullptr, nullptr);
    BIO_free(text);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    QByteArray result;
    if (cert != nullptr && X509_digest(cert, EVP_sha256(), digest, &length) == 1)
        result = QByteArray(reinterpret_cast<const char *>(digest), int(length));
    X509_free(cert);
    return result;
}

QString TestCertificates::caFile() const
{
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

void TestCertificates::trustCa()
{
    if (!m_trusted) {
        m_hadCertFile = qEnvironmentVariableIsSet("SSL_CERT_FILE");
        m_oldCertFile = qgetenv("SSL_CERT_FILE");
    }
    m_trusted = true;
    qputenv("SSL_CERT_FILE", caFile().toLocal8Bit());
}
