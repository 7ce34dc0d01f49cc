#include "fileassociation.h"

#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace FileAssociation {
namespace {

QString environmentFolder(const char *variable, const QString &fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    // XDG base directories ignore a relative path in these variables.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
}

// Only when the content differs, so that a start does not touch the desktop's caches.
enum class Write { Unchanged, Written, Failed };

Write writeIfDifferent(const QString &path, const QByteArray &content)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.size() == content.size()
        && current.readAll() == content)
        return Write::Unchanged;
    current.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Write::Failed;
    return writeFileAtomically(path, content) ? Write::Written : Write::Failed;
}

// Started on their own and not waited for: a cache refresh that hangs must not keep the
// program from starting.
void runTool(const QString &name, const QStringList &arguments)
{
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

// Desktop entry values escape backslashes; Exec arguments are quoted when they hold
// anything the desktop entry format reserves.
QString execArgument(const QString &path)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`%");
    bool quote = false;
    for (QChar c : path)
        quote = quote || reserved.contains(c);
    QString argument = path;
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!quote)
        return argument;
    QString quoted;
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // The string-value level doubles every backslash again.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}
QByteArray readSmall(const QString &path)
{
    // Desktop files and MIME packages are small; anything larger is none of ours.
    constexpr qint64 kLimit = 1 << 16;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLimit)
        return {};
    return file.read(kLimit);
}

// The program an Exec line starts: its first word, quoted or not.
QString execProgram(const QByteArray &entry)
{
    for (const QByteArray &line : entry.split('\n')) {
        if (!line.startsWith("Exec="))
            continue;
        QString value = QString::fromUtf8(line.mid(5)).trimmed();
        if (value.startsWith(QLatin1Char('"'))) {
            const qsizetype end = value.indexOf(QLatin1Char('"'), 1);
            return end < 0 ? QString() : value.mid(1, end - 1);
        }
        return value.section(QLatin1Char(' '), 0, 0);
    }
    return {};
}
} // namespace

QStringList dataDirs()
{
    QStringList dirs;
    // Relative entries are ignored, as for the single-folder variables.
    for (const QString &dir : qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'))) {
        if (QDir::isAbsolutePath(dir))
            dirs << dir;
    }
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

Installed findInstalled()
{
    Installed installed;
    for (const QString &dir : dataDirs()) {
        if (installed.desktopFile.isEmpty()) {
            const QString entry = dir + QStringLiteral("/applications/") + kDesktopFile;
            QString program = execProgram(readSmall(entry));
            if (!program.isEmpty() && !QDir::isAbsolutePath(program))
                program = QStandardPaths::findExecutable(program);
            // An entry left behind by a removed copy opens nothing; the user's own then serves.
            if (!program.isEmpty() && QFileInfo(program).isExecutable()) {
                installed.desktopFile = entry;
                installed.program = program;
            }
        }
        installed.mimeType = installed.mimeType
            || readSmall(dir + QStringLiteral("/mime/packages/") + kInstalledMimeFile)
                == mimePackage();
        installed.icon = installed.icon
            || QFileInfo::exists(dir + QStringLiteral("/icons/hicolor/48x48/apps/") + kIconName
                + QStringLiteral(".png"));
    }
    return installed;
}

QString dataHome()
{
    return environmentFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString configHome()
{
    return environmentFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QByteArray mimePackage()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-zephyro-project\">\n"
        "    <comment>Marbleton HTML Zephyro File</comment>\n"
        "    <icon name=\"marbleton-html-zephyro\"/>\n"
        "    <glob pattern=\"*.pwz\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n");
}

QByteArray desktopEntry(const QString &programPath)
{
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Marbleton HTML Editor Zephyro 2.0\n"
                                   "Comment=Marbleton HTML Zephyro File\n");
    entry += QStringLiteral("Exec=") + execArgument(programPath) + QStringLiteral(" %f\n");
    entry += QStringLiteral("Icon=") + QLatin1String(kIconName) + QLatin1Char('\n');
    entry += QStringLiteral("MimeType=") + QLatin1String(kMimeType) + QStringLiteral(";\n");
    entry += QStringLiteral("Terminal=false\n"
                            "Categories=Development;WebDevelopment;\n");
    return entry.toUtf8();
}

QByteArray mimeAppsList(const QByteArray &existing)
{
    const QByteArray key = QByteArray(kMimeType) + '=';
    const QByteArray line = key + kDesktopFile + ';';
    QList<QByteArray> lines = existing.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    qsizetype section = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed() == "[Default Applications]") {
            section = i;
            break;
        }
    }
    if (section < 0) {
        if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty())
            lines.append(QByteArray());
        lines.append("[Default Applications]");
        lines.append(line);
    } else {
        qsizetype end = section + 1;
        bool replaced = false;
        for (; end < lines.size() && !lines.at(end).trimmed().startsWith('['); ++end) {
            if (lines.at(end).trimmed().startsWith(key)) {
                lines[end] = line;
                replaced = true;
            }
        }
        if (!replaced)
            lines.insert(section + 1, line);
    }
    return lines.join('\n') + '\n';
}

Outcome registerFileType(const QString &programPath, const QByteArray &icon)
{
    const QString data = dataHome();
    const QString mimeFile = data + QStringLiteral("/mime/packages/x-zephyro-project.xml");
    const QString desktopFile = data + QStringLiteral("/applications/") + kDesktopFile;
    const QString iconFile
        = data + QStringLiteral("/icons/hicolor/48x48/apps/") + kIconName + QStringLiteral(".png");
    const QString listFile = configHome() + QStringLiteral("/mimeapps.list");

    QByteArray existingList;
    QFile list(listFile);
    // A list larger than this is no hand-kept configuration; it is left alone.
    constexpr qint64 kListLimit = 1 << 20;
    if (list.open(QIODevice::ReadOnly) && list.size() <= kListLimit)
        existingList = list.readAll();
    const bool listReadable = !list.exists() || list.size() <= kListLimit;

    // What an installed copy provides is not written again; an empty content is skipped.
    const Installed installed = findInstalled();
    const std::pair<QString, QByteArray> files[] = {
        {mimeFile, installed.mimeType ? QByteArray() : mimePackage()},
        {desktopFile, installed.desktopFile.isEmpty() ? desktopEntry(programPath) : QByteArray()},
        {iconFile, installed.icon ? QByteArray() : icon},
        {listFile, listReadable ? mimeAppsList(existingList) : QByteArray()}};

    Outcome outcome;
    bool desktopChanged = false;
    // The user's entry would shadow the installed one, and may open a build folder's copy.
    if (!installed.desktopFile.isEmpty() && QFileInfo::exists(desktopFile)) {
        if (QFile::remove(desktopFile)) {
            outcome.removed.append(desktopFile);
            desktopChanged = true;
        } else {
            outcome.failed = desktopFile;
        }
    }
    bool mimeChanged = false;
    for (const auto &[path, content] : files) {
        if (content.isEmpty())
            continue;
        switch (writeIfDifferent(path, content)) {
        case Write::Unchanged:
            break;
        case Write::Written:
            outcome.written.append(path);
            mimeChanged = mimeChanged || path == mimeFile;
            desktopChanged = desktopChanged || path == desktopFile;
            break;
        case Write::Failed:
            if (outcome.failed.isEmpty())
                outcome.failed = path;
            break;
        }
    }
    if (mimeChanged)
        runTool(QStringLiteral("update-mime-database"), {data + QStringLiteral("/mime")});
    if (desktopChanged)
        runTool(
            QStringLiteral("update-desktop-database"), {data + QStringLiteral("/applications")});
    return outcome;
}

} // namespace FileAssociation
