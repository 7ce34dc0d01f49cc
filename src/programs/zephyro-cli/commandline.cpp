#include "commandline.h"

#include "atomicfile.h"
#include "datafolders.h"
#include "externaltext.h"
#include "filecopy.h"
#include "messagetable.h"
#include "pagebuilder.h"
#include "pictureloader.h"
#include "profilestore.h"
#include "projectfile.h"
#include "siteupload.h"
#include "templategallery.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace {

const char kUsage[] = R"(Usage:
  zephyro-cli build PROJECT.pwz [OUTPUT] [--skip-existing] [--tick-links]
  zephyro-cli templates
  zephyro-cli upload --host HOST [--port PORT] --user USER [--dir DIR] [--mode MODE]
                     [--security SECURITY] [--trust-fingerprint SHA256]
                     [--connections N] [--verbose] FILE...
  zephyro-cli upload --profile NAME [--host HOST] [--port PORT] [--user USER] [--dir DIR]
                     [--mode MODE] [--security SECURITY] [--trust-fingerprint SHA256]
                     [--connections N] [--verbose] FILE...
  zephyro-cli --help

build   Reads a page project, makes its page from the project's template (see
        "templates") and writes it as OUTPUT with the extension ".html" (by default
        beside the project). The page's pictures are copied into the page's folder,
        replacing files of the same name.
        --skip-existing  keeps files of the same name instead of replacing them
        --tick-links     shows every link of the project in the page's link list
                         (otherwise the links ticked when the project was saved;
                         a project of an older version keeps no ticks)
        Prints the path of the written page.

templates
        Lists the templates that "build" and the window offer, each with its file:
        the shipped ones, and when the program's data folder cannot be written
        also the user's own in $XDG_DATA_HOME/zephyro/Templates
        (~/.local/share/zephyro/Templates), which replace shipped ones of the
        same name.

upload  Sends files to a web server by FTP as the Upload step does: connects to
        HOST (port 21 unless --port is given) as USER, changes to the remote folder
        DIR when one is given, stores every FILE in binary mode under its file name
        and disconnects. Each file is stored as ".NAME.zephyro-upload", its size
        checked, and renamed over NAME, so that the old file stays until the new
        one is whole (a server that refuses this gets the final names); the last
        FILE (the page) goes after all the others. The password is read from the environment variable
        ZEPHYRO_PASSWORD, or asked for on the terminal; it is never given on the
        command line.
        --profile NAME  takes the host, port, user, password and folder from the
                   server profile NAME that the Upload step saved in Remote.ini
                   (in the program's data folder, or in "Marbleton Software" in
                   the user's config folder when that cannot be written);
                   the other options and ZEPHYRO_PASSWORD override its values
        --mode MODE  how the data connection is made: "auto" (the default: passive,
                   else active once), "passive" (the client connects to the
                   server; works behind a home router) or "active" (the server
                   connects back to the client)
        --security SECURITY  whether the connection is encrypted (FTP over TLS):
                   "if-available" (the default: encrypted when the server offers
                   TLS, else in plain text, which the status says), "required"
                   (refuses a server without TLS), "implicit" (TLS from the first
                   byte, usually port 990) or "none"; the profile's names
                   ("ExplicitIfAvailable", ...) are taken too
        --trust-fingerprint SHA256  trusts the server's certificate when its
                   SHA-256 fingerprint is this one (64 hex digits, colons
                   allowed). A certificate the system does not trust is refused
                   otherwise, and its host, issuer, dates, fingerprint and reason
                   are printed so that you can decide. A certificate trusted in
                   the window is kept in the profile and counts as given.
        --connections N  how many connections the files before the last may use
                   at once, 1 to 4 (4 by default)
        --verbose  also prints every command sent and every reply received
        Prints the status and the bytes sent. A connection lost is made once
        more. Each file that failed is printed as "Error storing NAME: " followed
        by the server's reply; a failure before any file is printed as "Error "
        and the reply. Either ends with a non-zero exit status. The server's
        control characters are printed as "?".
)";

struct BuildOptions {
    QString project;
    QString output;
    bool skipExisting = false;
    bool tickLinks = false;
};

int fail(QTextStream &err, const QString &message)
{
    err << message << Qt::endl;
    return 1;
}

int build(const BuildOptions &options, const QString &applicationDirectory, QTextStream &out,
    QTextStream &err)
{
    const std::optional<QString> text = readExternalTextFile(options.project);
    if (!text)
        return fail(err, cannotOpenFile(options.project));
    const QStringList templates
        = DataFolders(applicationDirectory).searchPath(QStringLiteral("Templates"));
    ProjectFile::Opened opened
        = ProjectFile::open(ProjectFile::read(*text), TemplateGallery::names(templates),
            [](const QString &path) { return PictureLoader::load(path).ok(); });
    PageModel &model = opened.model;
    if (model.style.isEmpty())
        return fail(err, MessageTable::englishText(Msg::SelectLayoutStyle));
    if (options.tickLinks) {
        for (LinkRow &row : model.links)
            row.checked = true;
    }

    const std::optional<QString> templateText
        = readExternalTextFile(TemplateGallery::templateFile(templates, model.style));
    if (!templateText)
        return fail(err, MessageTable::englishText(Msg::CouldNotLoadTemplate));
    const QString chosen = options.output.isEmpty() ? options.project : options.output;
    const QString file = PageBuilder::pageFile(QFileInfo(chosen).absoluteFilePath());
    const QStringList page
        = PageBuilder::build(splitLines(*templateText), model, PageBuilder::now());
    if (!writeFileAtomically(file, PageBuilder::bytes(page)))
        return fail(err, cannotCreateFile(file));

    const FileCopy::Decision onExisting
        = options.skipExisting ? FileCopy::Decision::Keep : FileCopy::Decision::ReplaceAll;
    const QList<FileCopy::Failure> failures = FileCopy::copyInto(opened.pageFiles.paths(),
        QFileInfo(file).absolutePath(), [onExisting](const QString &) { return onExisting; });
    out << file << Qt::endl;
    if (failures.isEmpty())
        return 0;
    return fail(err, FileCopy::failureText(failures));
}

int listTemplates(const QString &applicationDirectory, QTextStream &out)
{
    const QStringList folders
        = DataFolders(applicationDirectory).searchPath(QStringLiteral("Templates"));
    for (const QString &name : TemplateGallery::names(folders))
        out << name << '\t' << TemplateGallery::templateFile(folders, name) << Qt::endl;
    return 0;
}

struct UploadOptions {
    // The password is kept apart: it comes last, from the profile, the environment or a prompt.
    TConnectInfo server {QString(), QString(), QString(), QString(), QStringLiteral("21")};
    bool verbose = false;
    int connections = SiteUpload::DefaultConnections;
    QStringList files;
};

// Text from the server, made harmless for a terminal: a hostile server could otherwise clear
// the screen, retitle the window or worse with escape sequences. C1 codes count too, since
// some terminals act on them.
QString terminalSafe(QString text)
{
    for (QChar &c : text) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\t') || (code >= 0x7F && code < 0xA0))
            c = u'?';
    }
    return text;
}

// The terminal's settings while the password prompt hides what is typed, for the signal
// handler that gives the echo back when the user gives up with Ctrl-C.
int g_promptTty = -1;
termios g_promptNormal {};

extern "C" void restoreTerminalAndStop(int signal)
{
    ::tcsetattr(g_promptTty, TCSAFLUSH, &g_promptNormal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Asks for the password on the terminal without showing what is typed; nullopt when there
// is no terminal to ask on.
std::optional<QString> askPassword()
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0)
        return std::nullopt;
    const auto closeTty = qScopeGuard([tty] { ::close(tty); });
    termios normal {};
    if (::tcgetattr(tty, &normal) != 0)
        return std::nullopt;
    termios hidden = normal;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    const char prompt[] = "Password: ";
    g_promptTty = tty;
    g_promptNormal = normal;
    struct sigaction stop {};
    stop.sa_handler = restoreTerminalAndStop;
    sigemptyset(&stop.sa_mask);
    const int stopping[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};
    struct sigaction previous[std::size(stopping)] {};
    for (std::size_t i = 0; i < std::size(stopping); ++i)
        ::sigaction(stopping[i], &stop, &previous[i]);
    const auto keepSignals = qScopeGuard([&] {
        for (std::size_t i = 0; i < std::size(stopping); ++i)
            ::sigaction(stopping[i], &previous[i], nullptr);
    });
    if (::write(tty, prompt, sizeof prompt - 1) < 0 || ::tcsetattr(tty, TCSAFLUSH, &hidden) != 0)
        return std::nullopt;
    const auto restore = qScopeGuard([tty, &normal] {
        ::tcsetattr(tty, TCSAFLUSH, &normal);
        // The end of the typed line was not shown either.
        [[maybe_unused]] const ssize_t written = ::write(tty, "\n", 1);
    });
    // A password is short; a longer line is cut rather than held whole.
    constexpr int Longest = 1024;
    QByteArray typed;
    char c = 0;
    while (typed.size() < Longest) {
        const ssize_t n = ::read(tty, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            break;
        typed.append(c);
    }
    return QString::fromLocal8Bit(typed);
}

// One upload of the files with SiteUpload, printed as it goes: the status lines, the bytes sent
// of each file, every failed file with its reason; with --verbose the whole conversation.
class Upload final {
public:
    Upload(
        const UploadOptions &options, const QString &password, QTextStream &out, QTextStream &err)
        : m_out(out)
        , m_err(err)
    {
        TConnectInfo profile = options.server;
        profile.password = password;
        m_upload.setProfile(profile);
        m_upload.setFiles(options.files);
        m_upload.setConnections(options.connections);
        m_upload.setTimeout(15);
        m_upload.onCertificate = [this](const TlsCertificateInfo &info, bool changed) {
            // Asked only about a certificate that matches neither the system's trust nor the
            // fingerprint given: nobody is there to answer, so it is refused.
            describeCertificate(info, changed);
            return false;
        };
        QObject::connect(
            &m_upload, &SiteUpload::statusChanged, [this](int message) { status(message); });
        QObject::connect(&m_upload, &SiteUpload::progress,
            [this](const QString &name, qint64 bytes) { progress(name, bytes); });
        QObject::connect(&m_upload, &SiteUpload::fileFinished,
            [this](const UploadedFile &file) { fileFinished(file); });
        if (options.verbose) {
            QObject::connect(&m_upload, &SiteUpload::display,
                [this](const QString &line) { m_out << terminalSafe(line) << Qt::endl; });
        }
    }

    int run()
    {
        QEventLoop loop;
        UploadOutcome outcome;
        QObject::connect(
            &m_upload, &SiteUpload::finished, &loop, [&loop, &outcome](const UploadOutcome &done) {
                outcome = done;
                loop.quit();
            });
        m_upload.start();
        if (m_upload.running())
            loop.exec();
        // A failure before any file was tried is the one line; files tried name themselves.
        if (!outcome.connected) {
            m_err << "Error " << terminalSafe(outcome.failure) << Qt::endl;
            return 1;
        }
        return outcome.complete() ? 0 : 1;
    }

private:
    struct Counted {
        qint64 last = -1;
        qint64 printed = -1;
        QElapsedTimer clock;
    };

    void describeCertificate(const TlsCertificateInfo &info, bool changed)
    {
        const auto date = [](const QDateTime &time) {
            return time.isValid() ? time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"))
                                  : QString();
        };
        const QString fingerprint = Fingerprints::format(info.sha256);
        m_err << (changed ? "The server's certificate has CHANGED since it was trusted.\n"
                          : "The server's certificate is not trusted.\n")
              << "  Host:                " << terminalSafe(info.host) << '\n'
              << "  Issued to:           " << terminalSafe(info.subject) << '\n'
              << "  Issued by:           " << terminalSafe(info.issuer) << '\n'
              << "  Valid from:          " << date(info.notBefore) << '\n'
              << "  Valid until:         " << date(info.notAfter) << '\n'
              << "  SHA-256 fingerprint: " << fingerprint << '\n'
              << "  Reason:              " << terminalSafe(info.reason) << '\n'
              << "If this is your server's certificate, run again with --trust-fingerprint "
              << fingerprint << Qt::endl;
    }

    void progress(const QString &name, qint64 count)
    {
        Counted &file = m_counts[name];
        file.last = count;
        // A line per piece would be a line per kilobyte: the first, then one a second.
        if (count != file.printed && (file.printed < 0 || file.clock.hasExpired(1000)))
            printProgress(name, file);
    }

    void printProgress(const QString &name, Counted &file)
    {
        m_out << terminalSafe(name) << ": " << file.last << " bytes" << Qt::endl;
        file.printed = file.last;
        file.clock.start();
    }

    void fileFinished(const UploadedFile &file)
    {
        Counted &counted = m_counts[file.remoteName];
        if (counted.last != counted.printed)
            printProgress(file.remoteName, counted);
        m_counts.remove(file.remoteName);
        if (!file.stored) {
            m_err << "Error storing " << terminalSafe(file.remoteName) << ": "
                  << terminalSafe(file.reason) << Qt::endl;
        }
    }

    void status(int message)
    {
        const QString text = MessageTable::englishText(message);
        if (text == m_status)
            return;
        m_status = text;
        m_out << text << Qt::endl;
    }

    QTextStream &m_out;
    QTextStream &m_err;
    SiteUpload m_upload;
    QString m_status;
    QHash<QString, Counted> m_counts;
};

// The names of --security; the profile's names as well, "None" being both.
std::optional<TFtpSecurity> securityOption(const QString &value)
{
    const QString name = value.trimmed().toLower();
    if (name == QLatin1String("if-available"))
        return TFtpSecurity::ExplicitIfAvailable;
    if (name == QLatin1String("required"))
        return TFtpSecurity::ExplicitRequired;
    if (name == QLatin1String("implicit"))
        return TFtpSecurity::Implicit;
    return FtpSecurities::parse(value);
}

// The values of a saved server profile, read as the Upload step reads them before it
// connects; false, with the reason told, when there is no such profile.
bool readProfile(const QString &name, const QString &applicationDirectory, UploadOptions &options,
    std::optional<QString> &password, QTextStream &err)
{
    const QString path = ProfileStore::remoteIniPath(applicationDirectory);
    IniFile::LoadError error = IniFile::LoadError::None;
    const QStringList names = ProfileStore::loadProfiles(path, &error);
    if (error == IniFile::LoadError::TooLarge) {
        fail(err, path + QStringLiteral(": ") + MessageTable::englishText(Msg::RemoteIniTooLarge));
        return false;
    }
    const bool listed = std::any_of(names.cbegin(), names.cend(), [&](const QString &listedName) {
        return listedName.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (!listed) {
        fail(err, QStringLiteral("No server profile \"%1\" in %2.").arg(name, path));
        return false;
    }
    options.server = ProfileStore::loadConnectInfo(path, name);
    password = options.server.password;
    return true;
}

int upload(const QStringList &arguments, const QString &applicationDirectory, QTextStream &out,
    QTextStream &err)
{
    UploadOptions options;
    std::optional<QString> profile;
    std::optional<QString> host;
    std::optional<QString> port;
    std::optional<QString> user;
    std::optional<QString> directory;
    std::optional<TFtpTransferMode> mode;
    std::optional<TFtpSecurity> security;
    std::optional<QString> fingerprint;
    bool filesOnly = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (filesOnly || !argument.startsWith(QLatin1String("--"))) {
            options.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            filesOnly = true;
        } else if (argument == QLatin1String("--verbose")) {
            options.verbose = true;
        } else if (argument == QLatin1String("--host") || argument == QLatin1String("--port")
            || argument == QLatin1String("--user") || argument == QLatin1String("--dir")
            || argument == QLatin1String("--profile") || argument == QLatin1String("--mode")
            || argument == QLatin1String("--security")
            || argument == QLatin1String("--trust-fingerprint")
            || argument == QLatin1String("--connections")) {
            if (i + 1 >= arguments.size())
                return fail(err, QStringLiteral("Option \"%1\" needs a value.").arg(argument));
            const QString value = arguments.at(++i);
            if (argument == QLatin1String("--host"))
                host = value;
            else if (argument == QLatin1String("--port"))
                port = value;
            else if (argument == QLatin1String("--user"))
                user = value;
            else if (argument == QLatin1String("--dir"))
                directory = value;
            else if (argument == QLatin1String("--profile"))
                profile = value;
            else if (argument == QLatin1String("--connections")) {
                bool number = false;
                options.connections = value.toInt(&number);
                if (!number || options.connections < 1
                    || options.connections > SiteUpload::MaxConnections)
                    return fail(err,
                        QStringLiteral("\"%1\" is no number of connections: give 1 to %2.")
                            .arg(value)
                            .arg(SiteUpload::MaxConnections));
            } else if (argument == QLatin1String("--security")) {
                if (!(security = securityOption(value)))
                    return fail(err,
                        QStringLiteral("Unknown security \"%1\": use if-available, required, "
                                       "implicit or none.")
                            .arg(value));
            } else if (argument == QLatin1String("--trust-fingerprint")) {
                const std::optional<QByteArray> sha256 = Fingerprints::parse(value);
                if (!sha256)
                    return fail(err,
                        QStringLiteral("\"%1\" is no SHA-256 fingerprint: give its 64 hex "
                                       "digits, with or without colons.")
                            .arg(value));
                fingerprint = Fingerprints::format(*sha256);
            } else if (!(mode = TransferModes::parse(value)))
                return fail(err,
                    QStringLiteral("Unknown transfer mode \"%1\": use auto, passive or active.")
                        .arg(value));
        } else if (argument == QLatin1String("--password")) {
            return fail(err,
                QStringLiteral("The password is never given on the command line: set "
                               "ZEPHYRO_PASSWORD or type it when asked."));
        } else {
            return fail(err, QStringLiteral("Unknown option \"%1\".").arg(argument));
        }
    }
    std::optional<QString> password;
    if (profile && !readProfile(*profile, applicationDirectory, options, password, err))
        return 1;
    TConnectInfo &server = options.server;
    server.hostName = host.value_or(server.hostName);
    server.port = port.value_or(server.port);
    server.userName = user.value_or(server.userName);
    server.initialDirectory = directory.value_or(server.initialDirectory);
    server.transferMode = mode.value_or(server.transferMode);
    server.security = security.value_or(server.security);
    server.trustedCertificate = fingerprint.value_or(server.trustedCertificate);
    if (server.hostName.isEmpty() || server.userName.isEmpty() || options.files.isEmpty())
        return fail(err, QString::fromLatin1(kUsage));

    if (qEnvironmentVariableIsSet("ZEPHYRO_PASSWORD"))
        password = qEnvironmentVariable("ZEPHYRO_PASSWORD");
    else if (!password)
        password = askPassword();
    if (!password)
        return fail(err, QStringLiteral("No password: set ZEPHYRO_PASSWORD or run on a terminal."));
    Upload run(options, *password, out, err);
    return run.run();
}

} // namespace

int runCommandLine(const QStringList &arguments, const QString &applicationDirectory,
    QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty())
        return fail(err, QString::fromLatin1(kUsage));
    if (arguments.constFirst() == QLatin1String("--help")) {
        out << kUsage;
        return 0;
    }
    if (arguments.constFirst() == QLatin1String("upload"))
        return upload(arguments.mid(1), applicationDirectory, out, err);
    if (arguments.constFirst() == QLatin1String("templates")) {
        if (arguments.size() > 1)
            return fail(err, QString::fromLatin1(kUsage));
        return listTemplates(applicationDirectory, out);
    }
    if (arguments.constFirst() != QLatin1String("build"))
        return fail(err,
            QStringLiteral("Unknown command \"%1\".\n\n").arg(arguments.constFirst())
                + QString::fromLatin1(kUsage));

    BuildOptions options;
    QStringList positional;
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--skip-existing"))
            options.skipExisting = true;
        else if (argument == QLatin1String("--tick-links"))
            options.tickLinks = true;
        else if (argument.startsWith(QLatin1String("--")))
            return fail(err, QStringLiteral("Unknown option \"%1\".").arg(argument));
        else
            positional << argument;
    }
    if (positional.isEmpty() || positional.size() > 2)
        return fail(err, QString::fromLatin1(kUsage));
    options.project = positional.at(0);
    options.output = positional.value(1);
    return build(options, applicationDirectory, out, err);
}
