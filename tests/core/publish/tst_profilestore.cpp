#include "profilestore.h"

#include "inifile.h"
#include "inifolder.h"
#include "profilescramble.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class ProfileStoreTest : public IniFolderTest {
protected:
    static TConnectInfo fields(const char *host, const char *port, const QString &password = {})
    {
        return TConnectInfo {QLatin1String(host), QStringLiteral("me"), password,
            QStringLiteral("/www"), QLatin1String(port)};
    }
};

TEST_F(ProfileStoreTest, LivesInTheProgramsFolderWhenItCanBeWritten)
{
    EXPECT_EQ(ProfileStore::remoteIniPath(dir.path() + QLatin1Char('/')), path());
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    const QString fallback = config + QStringLiteral("/Marbleton Software/Remote.ini");
    // A program folder that is no folder cannot take the file.
    put("");
    EXPECT_EQ(ProfileStore::remoteIniPath(path() + QLatin1Char('/')), fallback);
    EXPECT_EQ(ProfileStore::remoteIniPath(path()), fallback);
    EXPECT_EQ(ProfileStore::remoteIniPath(QString()), fallback);

    // Saving there makes the folder.
    const ProfileStore::SaveOutcome saved
        = ProfileStore::saveProfile(fallback, {}, QStringLiteral("Home"), fields("h", "21"));
    EXPECT_EQ(saved.failure, ProfileStore::SaveOutcome::Failure::None) << saved.error.toStdString();
    EXPECT_EQ(ProfileStore::loadProfiles(fallback), QStringList({"Home"}));
    QDir(config).removeRecursively();
}

struct ListRow {
    const char *name;
    QByteArray file;
    QStringList profiles;
};

void PrintTo(const ListRow &row, std::ostream *out)
{
    *out << row.name;
}

class ProfileList : public ProfileStoreTest, public ::testing::WithParamInterface<ListRow> {};

TEST_P(ProfileList, EndsAtTheFirstMissingOrEmptyName)
{
    put(GetParam().file);
    EXPECT_EQ(ProfileStore::loadProfiles(path()), GetParam().profiles);
}

INSTANTIATE_TEST_SUITE_P(ProfileStore, ProfileList,
    ::testing::Values(ListRow {"Empty", "", {}},
        ListRow {"InNumberOrder", "[profiles]\nname1=B\nNAME0=A\nName2=C\n", {"A", "B", "C"}},
        ListRow {"Gap", "[Profiles]\nName0=A\nName2=C\n", {"A"}},
        ListRow {"EmptyName", "[Profiles]\nName0=A\nName1=\nName2=C\n", {"A"}},
        ListRow {"WindowsFile", "[Profiles]\r\nName0=Caf\xE9\r\nName1=B", {"Caf\u00e9", "B"}}),
    [](const ::testing::TestParamInfo<ListRow> &info) { return info.param.name; });

struct PortRow {
    const char *name;
    const char *text;
    std::optional<int> value;
};

void PrintTo(const PortRow &row, std::ostream *out)
{
    *out << row.name;
}

class PortValue : public ::testing::TestWithParam<PortRow> {};

TEST_P(PortValue, IsDecimalOrHexadecimalAfter0x)
{
    EXPECT_EQ(ProfileStore::integerValue(QString::fromLatin1(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(ProfileStore, PortValue,
    ::testing::Values(PortRow {"Decimal", "2121", 2121}, PortRow {"Blanks", " 21 ", 21},
        PortRow {"Signed", "-5", -5}, PortRow {"Hex", "0x15", 21},
        PortRow {"HexCapital", "0XfF", 255}, PortRow {"Empty", "", std::nullopt},
        PortRow {"Word", "ftp", std::nullopt}, PortRow {"TrailingText", "21a", std::nullopt},
        PortRow {"BareHexPrefix", "0x", std::nullopt},
        PortRow {"HexDigitsWithout0x", "1f", std::nullopt},
        PortRow {"Largest", "2147483647", 2147483647},
        PortRow {"TooLarge", "2147483648", std::nullopt},
        PortRow {"Smallest", "-2147483648", -2147483647 - 1}),
    [](const ::testing::TestParamInfo<PortRow> &info) { return info.param.name; });

TEST_F(ProfileStoreTest, ReadsAProfileOfTheWindowsVersion)
{
    // "ZY8=" is "AB" scrambled (see the scrambling test).
    put("[Profiles]\r\nName0=Home\r\n\r\n[HOME]\r\nHostName=ftp.example.com\r\n"
        "InitialDir=/www\r\nUserName=me\r\nPassword=ZY8=\r\nPort=0x16\r\n");
    const TConnectInfo info = ProfileStore::loadConnectInfo(path(), QStringLiteral("home"));
    EXPECT_EQ(info.hostName, QStringLiteral("ftp.example.com"));
    EXPECT_EQ(info.userName, QStringLiteral("me"));
    EXPECT_EQ(info.password, QStringLiteral("AB"));
    EXPECT_EQ(info.initialDirectory, QStringLiteral("/www"));
    EXPECT_EQ(info.port, QStringLiteral("22"));

    // Its password scrambled from Windows-1252 bytes.
    put("[P]\nPassword=" + Base64Encode(StrEncrypt("p\xE4ss")).toLatin1() + "\nPort=x\n");
    EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).password,
        QStringLiteral("p\u00e4ss"));
    EXPECT_EQ(
        ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).port, QStringLiteral("21"));

    const TConnectInfo none = ProfileStore::loadConnectInfo(path(), QString());
    EXPECT_EQ(QStringList(
                  {none.hostName, none.userName, none.password, none.initialDirectory, none.port}),
        QStringList({"", "", "", "", "21"}));
}

TEST_F(ProfileStoreTest, TransferModeDefaultsToAutoAndRoundTrips)
{
    // Older files have no key; a value this version does not know reads as the default.
    const struct {
        const char *stored;
        TFtpTransferMode read;
    } rows[] = {
        {nullptr, TFtpTransferMode::Auto},
        {"Passive", TFtpTransferMode::Passive},
        {" active ", TFtpTransferMode::Active},
        {"AUTO", TFtpTransferMode::Auto},
        {"EPSV", TFtpTransferMode::Auto},
        {"", TFtpTransferMode::Auto},
    };
    for (const auto &row : rows) {
        QByteArray file = "[P]\nHostName=h\n";
        if (row.stored != nullptr)
            file += QByteArray("TransferMode=") + row.stored + "\n";
        put(file);
        EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).transferMode, row.read)
            << (row.stored ? row.stored : "(none)");
    }
    for (const TFtpTransferMode mode :
        {TFtpTransferMode::Passive, TFtpTransferMode::Active, TFtpTransferMode::Auto}) {
        TConnectInfo info = fields("h", "21");
        info.transferMode = mode;
        ASSERT_EQ(
            ProfileStore::saveProfile(path(), {QStringLiteral("P")}, QStringLiteral("P"), info)
                .failure,
            ProfileStore::SaveOutcome::Failure::None);
        EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).transferMode, mode);
    }
}

// "00:01:...:1F", the fingerprint of the bytes 0..31.
QString countingFingerprint()
{
    QByteArray sha256;
    for (char b = 0; b < 32; ++b)
        sha256 += b;
    return Fingerprints::format(sha256);
}

struct SecurityRow {
    const char *name;
    const char *security;    // the stored value, nullptr for no key
    const char *certificate; // likewise
    TFtpSecurity read;
    QString trusted;
};

void PrintTo(const SecurityRow &row, std::ostream *out)
{
    *out << row.name;
}

class ProfileSecurity : public ProfileStoreTest,
                        public ::testing::WithParamInterface<SecurityRow> {};

TEST_P(ProfileSecurity, ReadsWhatOlderAndLaterVersionsWrote)
{
    const SecurityRow &row = GetParam();
    QByteArray file = "[P]\nHostName=h\n";
    if (row.security != nullptr)
        file += QByteArray("Security=") + row.security + "\n";
    if (row.certificate != nullptr)
        file += QByteArray("TrustedCertificate=") + row.certificate + "\n";
    put(file);
    const TConnectInfo info = ProfileStore::loadConnectInfo(path(), QStringLiteral("P"));
    EXPECT_EQ(info.security, row.read);
    EXPECT_EQ(info.trustedCertificate, row.trusted);
}

INSTANTIATE_TEST_SUITE_P(ProfileStore, ProfileSecurity,
    ::testing::Values(
        SecurityRow {"OlderFile", nullptr, nullptr, TFtpSecurity::ExplicitIfAvailable, QString()},
        SecurityRow {"Required", "ExplicitRequired", "", TFtpSecurity::ExplicitRequired, QString()},
        SecurityRow {"Implicit", " implicit ", nullptr, TFtpSecurity::Implicit, QString()},
        SecurityRow {"None", "NONE", nullptr, TFtpSecurity::None, QString()},
        SecurityRow {
            "LaterVersionsValue", "QUIC", nullptr, TFtpSecurity::ExplicitIfAvailable, QString()},
        SecurityRow {"Trusted", "ExplicitIfAvailable",
            "00:01:02:03:04:05:06:07:08:09:0A:0B:0C:0D:0E:0F:10:11:12:13:14:15:16:17:18:19:1A:1B:"
            "1C:1D:1E:1F",
            TFtpSecurity::ExplicitIfAvailable, countingFingerprint()},
        SecurityRow {"TrustedTypedByHand", nullptr,
            " 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f ",
            TFtpSecurity::ExplicitIfAvailable, countingFingerprint()},
        SecurityRow {
            "CutShort", nullptr, "00:01:02:03", TFtpSecurity::ExplicitIfAvailable, QString()},
        SecurityRow {
            "NoFingerprint", nullptr, "yes", TFtpSecurity::ExplicitIfAvailable, QString()}),
    [](const ::testing::TestParamInfo<SecurityRow> &info) { return info.param.name; });

TEST_F(ProfileStoreTest, SecurityAndTrustRoundTrip)
{
    for (const TFtpSecurity security : {TFtpSecurity::ExplicitRequired, TFtpSecurity::Implicit,
             TFtpSecurity::None, TFtpSecurity::ExplicitIfAvailable}) {
        TConnectInfo info = fields("h", "21");
        info.security = security;
        info.trustedCertificate = security == TFtpSecurity::Implicit ? countingFingerprint() : "";
        ASSERT_EQ(
            ProfileStore::saveProfile(path(), {QStringLiteral("P")}, QStringLiteral("P"), info)
                .failure,
            ProfileStore::SaveOutcome::Failure::None);
        const TConnectInfo read = ProfileStore::loadConnectInfo(path(), QStringLiteral("P"));
        EXPECT_EQ(read.security, security);
        EXPECT_EQ(read.trustedCertificate, info.trustedCertificate);
    }
}

TEST_F(ProfileStoreTest, TrustIsStoredInTheProfileAloneOrNotAtAll)
{
    const QByteArray before = "; mine\r\n[Profiles]\r\nName0=Home\r\n\r\n[HOME]\r\n"
                              "HostName=h\r\nTrustedCertificate=old\r\nPort=21\r\n\r\n[Other]\r\n"
                              "HostName=o\r\n";
    put(before);
    const QString fingerprint = countingFingerprint();
    EXPECT_EQ(ProfileStore::storeTrustedCertificate(path(), QStringLiteral("home"), fingerprint),
        QString());
    QByteArray after = before;
    after.replace("TrustedCertificate=old", "TrustedCertificate=" + fingerprint.toLatin1());
    EXPECT_EQ(bytes(), after);
    EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("Home")).trustedCertificate,
        fingerprint);

    // A profile that is gone is not made again with only this key.
    EXPECT_EQ(ProfileStore::storeTrustedCertificate(path(), QStringLiteral("Gone"), fingerprint),
        QStringLiteral("There is no server profile \"Gone\" in %1.").arg(path()));
    EXPECT_EQ(bytes(), after);

    // A file that cannot be replaced stays as it was.
    QFile::remove(path());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Remote.ini")));
    EXPECT_EQ(ProfileStore::storeTrustedCertificate(path(), QStringLiteral("Home"), fingerprint),
        QStringLiteral("Unable to write to ") + path());
    EXPECT_TRUE(QDir(path()).isEmpty());
}

using Failure = ProfileStore::SaveOutcome::Failure;

TEST_F(ProfileStoreTest, SavesInTheOrderOfTheProfileDialog)
{
    ProfileStore::SaveOutcome saved = ProfileStore::saveProfile(
        path(), {}, QString(), TConnectInfo {{}, {}, {}, {}, QStringLiteral("21")});
    EXPECT_EQ(saved.failure, Failure::None);
    EXPECT_EQ(saved.name, QStringLiteral("Untitled"));
    EXPECT_EQ(saved.index, 0);
    EXPECT_TRUE(saved.appended);
    EXPECT_EQ(bytes(),
        "[Profiles]\nName0=Untitled\n\n[Untitled]\nHostName=\nInitialDir=\nUserName=\n"
        "Password=\nPasswordCodePage=1252\nPort=21\nTransferMode=Auto\n"
        "Security=ExplicitIfAvailable\nTrustedCertificate=\nRenameAfterUpload=1\n");

    // A bad port: everything before it is written, so the name is listed.
    saved = ProfileStore::saveProfile(path(), {QStringLiteral("Untitled")}, QStringLiteral("Home"),
        fields("ftp.example.com", "2l", QStringLiteral("AB")));
    EXPECT_EQ(saved.failure, Failure::InvalidPort);
    EXPECT_EQ(saved.error, QStringLiteral("'2l' is not a valid integer value"));
    EXPECT_EQ(saved.index, 1);
    EXPECT_TRUE(saved.appended);
    const QStringList list {QStringLiteral("Untitled"), QStringLiteral("Home")};
    EXPECT_EQ(ProfileStore::loadProfiles(path()), list);
    EXPECT_TRUE(bytes().endsWith("[Home]\nHostName=ftp.example.com\nInitialDir=/www\n"
                                 "UserName=me\nPassword=ZY8=\nPasswordCodePage=1252\n"))
        << bytes().toStdString();

    // OK again with the port mended completes the same profile.
    saved = ProfileStore::saveProfile(
        path(), list, QStringLiteral("Home"), fields("ftp.example.com", "0x850"));
    EXPECT_EQ(saved.failure, Failure::None);
    EXPECT_EQ(saved.index, 1);
    EXPECT_FALSE(saved.appended);
    EXPECT_TRUE(bytes().endsWith("UserName=me\nPassword=\nPasswordCodePage=1252\nPort=2128\n"
                                 "TransferMode=Auto\nSecurity=ExplicitIfAvailable\n"
                                 "TrustedCertificate=\nRenameAfterUpload=1\n"))
        << bytes().toStdString();
}

TEST_F(ProfileStoreTest, RenamingMakesANewProfileAndCaseOnlyDoesNot)
{
    QStringList list;
    ASSERT_EQ(
        ProfileStore::saveProfile(path(), list, QStringLiteral("Home"), fields("a", "21")).failure,
        Failure::None);
    list << QStringLiteral("Home");
    QByteArray home = bytes();

    // A new name: a second profile under the next number, the first one untouched.
    const ProfileStore::SaveOutcome renamed
        = ProfileStore::saveProfile(path(), list, QStringLiteral("Work"), fields("b", "21"));
    EXPECT_EQ(renamed.index, 1);
    EXPECT_TRUE(renamed.appended);
    EXPECT_TRUE(bytes().startsWith(home.replace("Name0=Home\n", "Name0=Home\nName1=Work\n")));
    EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("Home")).hostName, "a");
    list << QStringLiteral("Work");

    // The same name in other letters saves over the profile; its name key takes the spelling.
    const ProfileStore::SaveOutcome recased
        = ProfileStore::saveProfile(path(), list, QStringLiteral("HOME"), fields("c", "21"));
    EXPECT_EQ(recased.index, 0);
    EXPECT_FALSE(recased.appended);
    EXPECT_EQ(ProfileStore::loadProfiles(path()), QStringList({"HOME", "Work"}));
    EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("home")).hostName, "c");
    EXPECT_EQ(bytes().count("HostName="), 2);
}

struct NameRow {
    const char *name;
    QString typed;
    Failure failure;
    QString saved;
};

void PrintTo(const NameRow &row, std::ostream *out)
{
    *out << row.name;
}

class ProfileName : public ProfileStoreTest, public ::testing::WithParamInterface<NameRow> {};

TEST_P(ProfileName, IsKeptAsTypedUnlessTheFileCouldNotHoldIt)
{
    const NameRow &row = GetParam();
    put("; mine\n");
    const ProfileStore::SaveOutcome saved = ProfileStore::saveProfile(
        path(), {}, row.typed, fields("h", "21", QStringLiteral("p\u00e4ss w\u00f6rd")));
    EXPECT_EQ(saved.failure, row.failure);
    if (row.failure != Failure::None) {
        EXPECT_EQ(saved.index, -1);
        EXPECT_TRUE(saved.error.contains(QLatin1String("line break"))) << saved.error.toStdString();
        EXPECT_EQ(bytes(), "; mine\n");
        return;
    }
    EXPECT_EQ(saved.name, row.saved);
    EXPECT_EQ(ProfileStore::loadProfiles(path()), QStringList({row.saved}));
    const TConnectInfo info = ProfileStore::loadConnectInfo(path(), row.saved);
    EXPECT_EQ(info.hostName, QStringLiteral("h"));
    EXPECT_EQ(info.password, QStringLiteral("p\u00e4ss w\u00f6rd"));
}

INSTANTIATE_TEST_SUITE_P(ProfileStore, ProfileName,
    ::testing::Values(NameRow {"Plain", "Home", Failure::None, "Home"},
        NameRow {"ClosingBracket", "[My;#\"site\"] [x", Failure::InvalidName, ""},
        NameRow {"Brackets", "[My;#\"site\" [x", Failure::None, "[My;#\"site\" [x"},
        NameRow {"NonAscii", "Caf\u00e9 \u65e5\u672c", Failure::None, "Caf\u00e9 \u65e5\u672c"},
        NameRow {"BlanksAtTheEnds", " Home\t", Failure::None, "Home"},
        NameRow {"Equals", "a=b", Failure::InvalidName, ""},
        NameRow {"LineBreak", "a\nb", Failure::InvalidName, ""},
        NameRow {"CarriageReturn", "a\rb", Failure::InvalidName, ""}),
    [](const ::testing::TestParamInfo<NameRow> &info) { return info.param.name; });

TEST_F(ProfileStoreTest, AFileThatCannotBeWrittenStaysAsItWas)
{
    // A folder in the file's place can be neither read nor replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Remote.ini")));
    const ProfileStore::SaveOutcome saved
        = ProfileStore::saveProfile(path(), {}, QStringLiteral("Home"), fields("h", "bad"));
    EXPECT_EQ(saved.failure, Failure::CannotWrite);
    EXPECT_EQ(saved.error, QStringLiteral("Unable to write to ") + path());
    EXPECT_EQ(saved.index, -1);
    EXPECT_TRUE(QDir(path()).isEmpty());
    EXPECT_TRUE(ProfileStore::loadProfiles(path()).isEmpty());
}

// The Windows version scrambles the password's Windows-1252 bytes and reads them so; a
// password it cannot hold is kept in UTF-8, and both come back as typed.
TEST_F(ProfileStoreTest, PasswordsAreStoredSoThatTheWindowsVersionReadsThem)
{
    const struct {
        const char *name;
        QString password;
        QByteArray scrambledFrom; // the bytes Password holds before scrambling
    } rows[] = {
        {"Ascii", QStringLiteral("secret"), "secret"},
        {"Umlaut", QStringLiteral("p\u00e4ss\u20ac"), "p\xE4ss\x80"},
        // Its Windows-1252 bytes are valid UTF-8 for another text.
        {"LooksLikeUtf8", QStringLiteral("\u00c3\u00a9t\u00e9"), "\xC3\xA9t\xE9"},
        {"Cyrillic", QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c"),
            QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c").toUtf8()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(ProfileStore::saveProfile(
                      path(), {}, QStringLiteral("P"), fields("h", "21", row.password))
                      .failure,
            ProfileStore::SaveOutcome::Failure::None);
        const std::optional<QString> stored = IniFile::readValue(path(), u"P", u"Password");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(StrDecrypt(Base64Decode(*stored)), row.scrambledFrom);
        EXPECT_EQ(
            ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).password, row.password);
    }
    // The Windows version saved its own password over ours and left the mark standing.
    IniFile::writeValue(path(), u"P", u"Password", Base64Encode(StrEncrypt("\xC3\xA9")));
    EXPECT_EQ(ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).password,
        QStringLiteral("\u00e9"));
}

TEST_F(ProfileStoreTest, RenamingAfterTheUploadIsOnUnlessTheProfileSaysOff)
{
    const struct {
        const char *stored; // nullptr: no key, as in older files
        bool read;
    } rows[] = {{nullptr, true}, {"1", true}, {"0", false}, {" 0 ", false}, {"", true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.stored ? row.stored : "(none)");
        QByteArray file = "[P]\nHostName=h\n";
        if (row.stored != nullptr)
            file += QByteArray("RenameAfterUpload=") + row.stored + "\n";
        put(file);
        EXPECT_EQ(
            ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).renameAfterUpload, row.read);
    }
    for (const bool rename : {false, true}) {
        TConnectInfo info = fields("h", "21");
        info.renameAfterUpload = rename;
        ASSERT_EQ(ProfileStore::saveProfile(path(), {}, QStringLiteral("P"), info).failure,
            ProfileStore::SaveOutcome::Failure::None);
        EXPECT_EQ(
            ProfileStore::loadConnectInfo(path(), QStringLiteral("P")).renameAfterUpload, rename);
    }
}

// Remote.ini beyond a megabyte (long comments, many profiles) still lists its profiles; one
// beyond 16 MB is no file of profiles, is said to be too large and is never written over.
TEST_F(ProfileStoreTest, AFileUpTo16MBIsReadAndALargerOneKeptAsItIs)
{
    const QByteArray head = "[Profiles]\nName0=Home\n\n[Home]\nHostName=h\nPort=21\n";
    const struct {
        const char *name;
        qint64 size;
        bool read;
    } rows[] = {
        {"TwoMegabytes", 2 * 1024 * 1024, true},
        {"JustBelowTheLimit", 16 * 1024 * 1024 - 200, true},
        {"OneByteMore", 16 * 1024 * 1024 + 1, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        // A comment line up to the size, its last byte a line end.
        QByteArray file = head + ';' + QByteArray(row.size - head.size() - 2, 'x') + '\n';
        ASSERT_EQ(file.size(), row.size);
        put(file);
        EXPECT_EQ(ProfileStore::loadProfiles(path()),
            row.read ? QStringList {QStringLiteral("Home")} : QStringList());
        const ProfileStore::SaveOutcome saved = ProfileStore::saveProfile(
            path(), ProfileStore::loadProfiles(path()), QStringLiteral("Work"), fields("w", "21"));
        if (row.read) {
            EXPECT_TRUE(saved.error.isEmpty()) << saved.error.toStdString();
            EXPECT_EQ(ProfileStore::loadProfiles(path()),
                QStringList({QStringLiteral("Home"), QStringLiteral("Work")}));
        } else {
            EXPECT_EQ(saved.index, -1);
            EXPECT_EQ(saved.failure, ProfileStore::SaveOutcome::Failure::TooLarge);
            EXPECT_TRUE(saved.error.contains(QStringLiteral("too large")))
                << saved.error.toStdString();
            IniFile::LoadError error = IniFile::LoadError::None;
            ProfileStore::loadProfiles(path(), &error);
            EXPECT_EQ(error, IniFile::LoadError::TooLarge);
            EXPECT_TRUE(bytes() == file);
        }
    }
}

} // namespace
