#include "profilestore.h"

#include "inifile.h"
#include "profilescramble.h"
#include "windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <unistd.h>

namespace {

const QString kProfiles = QStringLiteral("Profiles");
const QString kHostName = QStringLiteral("HostName");
const QString kInitialDir = QStringLiteral("InitialDir");
const QString kUserName = QStringLiteral("UserName");
const QString kPassword = QStringLiteral("Password");
const QString kPort = QStringLiteral("Port");
const QString kTransferMode = QStringLiteral("TransferMode");
const QString kSecurity = QStringLiteral("Security");
const QString kTrustedCertificate = QStringLiteral("TrustedCertificate");
const QString kPasswordCodePage = QStringLiteral("PasswordCodePage");
const QString kRenameAfterUpload = QStringLiteral("RenameAfterUpload");
// The Windows version's code page, in which it scrambles passwords.
const QString kWindows1252 = QStringLiteral("1252");
const QString kUtf8 = QStringLiteral("UTF-8");

constexpr int kDefaultPort = 21;

QString nameKey(qsizetype number)
{
    return QStringLiteral("Name") + QString::number(number);
}

// A password marked as Windows-1252 is read so; without the mark (files of the Windows
// version, or a password it saved over ours, which leaves an old "UTF-8" standing) valid
// UTF-8 is taken as UTF-8, anything else as Windows-1252.
QString decodedPassword(const QString &stored, const QString &codePage)
{
    const QByteArray bytes = StrDecrypt(Base64Decode(stored));
    if (codePage.trimmed() == kWindows1252)
        return Windows1252::decode(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8(bytes);
    return utf8.hasError() ? Windows1252::decode(bytes) : text;
}

struct StoredPassword {
    QString scrambled;
    QString codePage;
};

// Scrambled in Windows-1252 when it holds every character, as the Windows version reads it;
// else from UTF-8, which that version cannot read right but loses nothing here.
StoredPassword encodedPassword(const QString &plain)
{
    const std::optional<QByteArray> windows = Windows1252::encode(plain);
    if (windows)
        return {Base64Encode(StrEncrypt(*windows)), kWindows1252};
    return {Base64Encode(StrEncrypt(plain.toUtf8())), kUtf8};
}

QString withoutEndBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text.at(start) == u' ' || text.at(start) == u'\t'))
        ++start;
    while (end > start && (text.at(end - 1) == u' ' || text.at(end - 1) == u'\t'))
        --end;
    return text.sliced(start, end - start);
}

ProfileStore::SaveOutcome failed(
    ProfileStore::SaveOutcome::Failure failure, const QString &error, const QString &name)
{
    ProfileStore::SaveOutcome outcome;
    outcome.failure = failure;
    outcome.error = error;
    outcome.name = name;
    return outcome;
}

// -1 when the character is no digit of the base.
int digitValue(QChar c, int base)
{
    const char16_t code = c.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    const char16_t lower = code | 0x20;
    if (base == 16 && lower >= u'a' && lower <= u'f')
        return lower - u'a' + 10;
    return -1;
}

QString unableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

// The stored fingerprint in the one form the client compares; a value that is no
// fingerprint (edited by hand, cut short) trusts nothing.
QString readFingerprint(const QString &stored)
{
    const std::optional<QByteArray> sha256 = Fingerprints::parse(stored);
    return sha256 ? Fingerprints::format(*sha256) : QString();
}

} // namespace

namespace ProfileStore {

QString remoteIniPath(const QString &applicationDirectory)
{
    // Both bits: a folder needs the search bit too for a file to be made in it.
    if (!applicationDirectory.isEmpty()
        && ::access(QFile::encodeName(applicationDirectory).constData(), W_OK | X_OK) == 0)
        return QDir(applicationDirectory).filePath(QStringLiteral("Remote.ini"));
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Marbleton Software/Remote.ini");
}

QStringList loadProfiles(const QString &iniPath, IniFile::LoadError *error)
{
    const std::optional<IniFile> file = IniFile::load(iniPath, error);
    if (!file)
        return {};
    const QHash<QString, QString> names = file->section(kProfiles);
    QStringList profiles;
    for (;;) {
        const QString name = names.value(IniFile::foldedName(nameKey(profiles.size())));
        if (name.isEmpty())
            return profiles;
        profiles << name;
    }
}

TConnectInfo loadConnectInfo(const QString &iniPath, const QString &name)
{
    const std::optional<IniFile> file = IniFile::load(iniPath);
    const QHash<QString, QString> values = file ? file->section(name) : QHash<QString, QString>();
    const auto value
        = [&values](const QString &key) { return values.value(IniFile::foldedName(key)); };
    TConnectInfo info;
    info.hostName = value(kHostName);
    info.userName = value(kUserName);
    info.password = decodedPassword(value(kPassword), value(kPasswordCodePage));
    info.initialDirectory = value(kInitialDir);
    info.port = QString::number(integerValue(value(kPort)).value_or(kDefaultPort));
    // Profiles of older versions have no key; an unknown value is read as the default too.
    info.transferMode = TransferModes::parse(value(kTransferMode)).value_or(TFtpTransferMode::Auto);
    // Likewise: files without the key and values of later versions try TLS and fall back.
    info.security
        = FtpSecurities::parse(value(kSecurity)).value_or(TFtpSecurity::ExplicitIfAvailable);
    info.trustedCertificate = readFingerprint(value(kTrustedCertificate));
    // Absent in older files: on, as for new profiles.
    info.renameAfterUpload = value(kRenameAfterUpload).trimmed() != QLatin1String("0");
    return info;
}

std::optional<int> integerValue(QStringView text)
{
    QStringView digits = text.trimmed();
    int base = 10;
    bool negative = false;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.sliced(2);
    } else if (digits.startsWith(u'+') || digits.startsWith(u'-')) {
        negative = digits.startsWith(u'-');
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    const qint64 limit = qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    for (const QChar c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

SaveOutcome saveProfile(const QString &iniPath, const QStringList &serverList, const QString &name,
    const TConnectInfo &fields)
{
    using Failure = SaveOutcome::Failure;
    QString profile = withoutEndBlanks(name);
    if (profile.isEmpty())
        profile = QStringLiteral("Untitled");
    if (profile.contains(u']') || profile.contains(u'=') || profile.contains(u'\n')
        || profile.contains(u'\r'))
        return failed(Failure::InvalidName,
            QStringLiteral("A profile name cannot contain \"]\", \"=\" or a line break, since "
                           "Remote.ini could not hold it. Please choose another name."),
            profile);

    const QString unwritable = unableToWrite(iniPath);
    IniFile::LoadError loadError = IniFile::LoadError::None;
    std::optional<IniFile> file = IniFile::load(iniPath, &loadError);
    // Written over, its profiles would be lost.
    if (loadError == IniFile::LoadError::TooLarge)
        return failed(Failure::TooLarge,
            QStringLiteral("%1 is too large to be a file of server profiles").arg(iniPath),
            profile);
    if (!file)
        return failed(Failure::CannotWrite, unwritable, profile);

    SaveOutcome outcome;
    outcome.name = profile;
    outcome.index = std::find_if(serverList.cbegin(), serverList.cend(),
                        [&profile](const QString &entry) {
                            return entry.compare(profile, Qt::CaseInsensitive) == 0;
                        })
        - serverList.cbegin();
    outcome.appended = outcome.index == serverList.size();

    const std::optional<int> port = integerValue(fields.port);
    const StoredPassword password = encodedPassword(fields.password);
    const bool written = file->setValue(kProfiles, nameKey(outcome.index), profile)
        && file->setValue(profile, kHostName, fields.hostName)
        && file->setValue(profile, kInitialDir, fields.initialDirectory)
        && file->setValue(profile, kUserName, fields.userName)
        && file->setValue(profile, kPassword, password.scrambled)
        && file->setValue(profile, kPasswordCodePage, password.codePage)
        && (!port
            || (file->setValue(profile, kPort, QString::number(*port))
                && file->setValue(profile, kTransferMode, TransferModes::name(fields.transferMode))
                && file->setValue(profile, kSecurity, FtpSecurities::name(fields.security))
                && file->setValue(profile, kTrustedCertificate, fields.trustedCertificate)
                && file->setValue(profile, kRenameAfterUpload,
                    fields.renameAfterUpload ? QStringLiteral("1") : QStringLiteral("0"))));
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    if (!written || !file->save())
        return failed(Failure::CannotWrite, unwritable, profile);
    if (!port) {
        outcome.failure = Failure::InvalidPort;
        outcome.error = QStringLiteral("'%1' is not a valid integer value").arg(fields.port);
    }
    return outcome;
}

QString storeTrustedCertificate(
    const QString &iniPath, const QString &name, const QString &fingerprint)
{
    const QString unwritable = unableToWrite(iniPath);
    std::optional<IniFile> file = IniFile::load(iniPath);
    if (!file)
        return unwritable;
    // A profile deleted meanwhile is not made again with only this key.
    const QString folded = IniFile::foldedName(name);
    const QStringList sections = file->sections();
    if (std::none_of(sections.cbegin(), sections.cend(),
            [&folded](const QString &section) { return IniFile::foldedName(section) == folded; }))
        return QStringLiteral("There is no server profile \"%1\" in %2.").arg(name, iniPath);
    if (!file->setValue(name, kTrustedCertificate, fingerprint) || !file->save())
        return unwritable;
    return {};
}

} // namespace ProfileStore
