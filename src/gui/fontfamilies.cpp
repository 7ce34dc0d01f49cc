#include "fontfamilies.h"

#include <QFontDatabase>
#include <QSet>

#include <algorithm>

namespace FontFamilies {

namespace {

QString withoutFoundry(const QString &family)
{
    const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
    if (open > 0 && family.endsWith(QLatin1Char(']')))
        return family.left(open).trimmed();
    return family.trimmed();
}

} // namespace

QStringList browserNames(const QStringList &qtFamilies)
{
    QStringList names;
    QSet<QString> seen;
    for (const QString &family : qtFamilies) {
        const QString name = withoutFoundry(family);
        if (!name.isEmpty() && !seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            names << name;
        }
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QStringList installed()
{
    QStringList families = QFontDatabase::families();
    // Private families (a platform's own user-interface faces) cannot be named by a page.
    families.removeIf([](const QString &family) { return QFontDatabase::isPrivateFamily(family); });
    return browserNames(families);
}

} // namespace FontFamilies
