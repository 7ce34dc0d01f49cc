#pragma once

#include "pagemodel.h"

#include <QString>
#include <QStringList>

// The maker's home page, named in every page's creation comment and footer.
inline constexpr char16_t kMakerHomePage[] = u"https://www.zephyro.example";

// Makes the finished page from a template: every "#placeholder" replaced by HTML built
// from the answers. What the page shows (title, heading, descriptions, page text, bullets)
// goes in as typed, since it may hold HTML of its own; what goes into an attribute or a
// script string is escaped so that it cannot end it.
namespace PageBuilder {

// When the page was made, in the user's long date and time formats.
struct Stamp {
    QString date;
    QString time;
};
Stamp now();

// The template's lines with the placeholders of each line replaced, first occurrences
// only, each step working on the line as the steps before it left it.
QStringList build(const QStringList &templateLines, const PageModel &model, const Stamp &stamp);

// The page's bytes: UTF-8, CR LF after every line.
QByteArray bytes(const QStringList &pageLines);

// The file a page is written to: the document path up to the last "." of its file name
// with ".html"; a file name without "." gets ".html" added.
QString pageFile(const QString &documentPath);

} // namespace PageBuilder
