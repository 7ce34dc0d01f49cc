#pragma once

#include "connectinfo.h"
#include "inifile.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The server profiles of the Upload step, kept in Remote.ini (see IniFile):
//   [Profiles]        Name0, Name1, ...: the profile names, numbered from 0; the list ends
//                     at the first missing or empty one
//   [<profile name>]  HostName, InitialDir, UserName, Port (decimal), and Password: the
//                     password's Windows-1252 bytes (UTF-8 when it has a character that
//                     code page lacks) scrambled by StrEncrypt, then Base64Encode'd (empty
//                     for an empty password), PasswordCodePage ("1252" or "UTF-8": which of
//                     the two; only "1252" is relied on, see below), TransferMode ("Auto",
//                     "Passive" or "Active"; missing in files of older versions, which read it as
//                     "Auto"), Security (an FtpSecurities::name; missing or unknown reads as
//                     "ExplicitIfAvailable"), TrustedCertificate (a fingerprint as
//                     Fingerprints::format gives it; empty or missing when none is trusted)
//                     and RenameAfterUpload ("1" or "0"; missing reads as "1")
// Files written by the Windows version read the same; their passwords were scrambled in
// Windows-1252 and have no PasswordCodePage. It ignores that key and keeps it when it saves
// a profile, so a "UTF-8" may stand beside a password it wrote: without "1252", bytes that
// are valid UTF-8 are read as UTF-8 and others as Windows-1252.
// Nothing here shows a message: failures come back as texts for the window to show.
namespace ProfileStore {

// Where Remote.ini lives: in the application directory (the program's folder) when the
// program may write there, else in the user's config folder, beside the settings:
// "$XDG_CONFIG_HOME/Marbleton Software/Remote.ini" (~/.config/... without the variable).
QString remoteIniPath(const QString &applicationDirectory);

// The names for the server list, in profile-number order; empty when the file is missing
// or cannot be read, error (when given) then telling why.
QStringList loadProfiles(const QString &iniPath, IniFile::LoadError *error = nullptr);

// The profile's values, with the password in plain text and the port as decimal text. A
// name without a section gives four empty texts and the port "21". The profile dialog
// fills its fields from this too.
TConnectInfo loadConnectInfo(const QString &iniPath, const QString &name);

// How "Port" is read and how a typed port is taken: decimal with an optional sign, or
// hexadecimal after "0x" or "0X"; blanks around it do not count. Nullopt for anything
// else, and for numbers outside 32-bit integers.
std::optional<int> integerValue(QStringView text);

struct SaveOutcome {
    enum class Failure {
        None,
        // A name holding "]", "=" or a line break: nothing was written.
        InvalidName,
        // The port is no integer: every value before "Port" was written all the same, so
        // the name stands in the server list.
        InvalidPort,
        // The file could not be written (or read first): it is as it was.
        CannotWrite,
        // The file is larger than IniFile::MaxFileSize: it is as it was, its profiles kept.
        TooLarge,
    };
    Failure failure = Failure::None;
    // The message for the error box; empty when the profile was saved.
    QString error;
    // The name saved: as typed without blanks at its ends, "Untitled" when empty.
    QString name;
    // The profile's number, its place in the server list; -1 when nothing was written.
    qsizetype index = -1;
    // Whether the window appends the name to the server list (it was not in it). Once
    // written (index >= 0), the window selects the entry at index, as the program's choice.
    bool appended = false;
};

// Saves the profile typed in the dialog (fields.port as typed) under the name, given the
// server list as the window shows it. The values are written in this order, in one write
// of the file: in [Profiles] the name key of the profile's number, then in the profile's
// section HostName, InitialDir, UserName, Password, PasswordCodePage, Port, TransferMode,
// Security, TrustedCertificate and RenameAfterUpload. A name that is in the list
// apart from letter case saves over that profile (its name key takes the new spelling); a
// changed name is a new profile, the old one staying as it was.
SaveOutcome saveProfile(const QString &iniPath, const QStringList &serverList, const QString &name,
    const TConnectInfo &fields);

// Stores the fingerprint of a certificate the user trusted (Fingerprints::format; empty
// forgets it) in a profile that is in the file, changing nothing else. Written whole or not
// at all; the message for the error box when it was not, else empty.
QString storeTrustedCertificate(
    const QString &iniPath, const QString &name, const QString &fingerprint);

} // namespace ProfileStore
