#include "templategallery.h"

#include "datafolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kTemplateSuffix = QStringLiteral(".html");
const QString kPictureSuffix = QStringLiteral(".bmp");

QString findNoCase(const QString &folder, const QString &fileName)
{
    // Hidden and system entries count too.
    const QFileInfoList files = QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : files) {
        if (entry.fileName().compare(fileName, Qt::CaseInsensitive) == 0)
            return entry.filePath();
    }
    return {};
}

} // namespace

namespace TemplateGallery {

QStringList names(const QStringList &folders)
{
    // Names are matched without regard to case, so "Simple" and "simple" are one template:
    // the first listed, which is also the file templateFile finds.
    QStringList result;
    for (const DataFolders::Entry &entry : DataFolders::merged(folders, kTemplateSuffix))
        result << entry.name;
    return result;
}

QStringList names(const QString &folder)
{
    return names(QStringList {folder});
}

QString templateFile(const QStringList &folders, const QString &name)
{
    for (const QString &folder : folders) {
        const QString file = findNoCase(folder, name + kTemplateSuffix);
        if (!file.isEmpty())
            return file;
    }
    return {};
}

QString templateFile(const QString &folder, const QString &name)
{
    return templateFile(QStringList {folder}, name);
}

QString pictureFile(const QStringList &folders, const QString &name)
{
    // A user's template without a picture shows none rather than the shipped one's.
    const QString file = templateFile(folders, name);
    if (file.isEmpty())
        return findNoCase(folders.value(0), name + kPictureSuffix);
    return findNoCase(QFileInfo(file).absolutePath(), name + kPictureSuffix);
}

QString pictureFile(const QString &folder, const QString &name)
{
    return pictureFile(QStringList {folder}, name);
}

} // namespace TemplateGallery
