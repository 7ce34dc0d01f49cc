#include "commandline.h"

#include "externaltext.h"
#include "filecopy.h"
#include "messagetable.h"
#include "pagebuilder.h"
#include "pictureloader.h"
#include "projectfile.h"
#include "templategallery.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const char kUsage[] = R"(Usage:
  zephyro-cli build PROJECT.pwz [OUTPUT] [--skip-existing] [--tick-links]
  zephyro-cli --help

build   Reads a page project, makes its page from the project's template in the
        Templates folder beside this program and writes it as OUTPUT with the
        extension ".html" (by default beside the project). The page's pictures are
        copied into the page's folder, replacing files of the same name.
        --skip-existing  keeps files of the same name instead of replacing them
        --tick-links     shows every link of the project in the page's link list
                         (links read from a project are not ticked otherwise)
        Prints the path of the written page.
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
    const QString templates = applicationDirectory + QStringLiteral("Templates/");
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
    for (const FileCopy::Failure &failure : failures)
        err << QStringLiteral("Cannot copy %1 to %2").arg(failure.source, failure.target)
            << Qt::endl;
    return failures.isEmpty() ? 0 : 1;
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
