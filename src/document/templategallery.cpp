#include "templategallery.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

const QString kTemplateSuffix = QStringLiteral(".html");
const QString kPictureSuffix = QStringLiteral(".bmp");

QFileInfoList filesOf(const QString &folder)
{
    // Hidden and system entries count too.
    return QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString findNoCase(const QString &folder, const QString &fileName)
{
    for (const QFileInfo &entry : filesOf(folder)) {
        if (entry.fileName().compare(fileName, Qt::CaseInsensitive) == 0)
            return entry.filePath();
    }
    return {};
}

} // namespace

namespace TemplateGallery {

QStringList names(const QString &folder)
{
    QStringList result;
    // Names are matched without regard to case, so "Simple" and "simple" are one template:
    // the first listed, which is also the file templateFile finds.
    QSet<QString> seen;
    for (const QFileInfo &entry : filesOf(folder)) {
        const QString fileName = entry.fileName();
        if (fileName.size() <= kTemplateSuffix.size()
            || !fileName.endsWith(kTemplateSuffix, Qt::CaseInsensitive))
            continue;
        const QString name = fileName.chopped(kTemplateSuffix.size());
        const QString key = name.toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        result << name;
    }
    std::stable_sort(result.begin(), result.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return result;
}

QString templateFile(const QString &folder, const QString &name)
{
    return findNoCase(folder, name + kTemplateSuffix);
}

QString pictureFile(const QString &folder, const QString &name)
{
    return findNoCase(folder, name + kPictureSuffix);
}

} // namespace TemplateGallery
