#pragma once

#include <QString>

// Answers put where the page's markup expects a value, escaped so that a quote, an
// apostrophe or a "<" the user typed stays part of that value instead of ending it.
// Text the page shows (title, heading, page text, bullets) is not escaped here: users put
// HTML into it on purpose.
namespace HtmlEscape {

// For a quoted attribute value. A character reference the user typed ("&amp;", "&#169;")
// is kept, so it means what it would mean in the page text.
QString attribute(const QString &value);

// For an attribute value the page writes without quotes (the margin width).
QString unquotedAttribute(const QString &value);

// For an address that a template may put into an attribute or into a style sheet (the
// background picture): the characters that would end either are percent-encoded, which
// names the same file in both.
QString addressAnywhere(const QString &value);

// For the inside of a single-quoted script string that is written into the page by
// document.write(). No "<" is left, so nothing in it can end or open a script element.
QString scriptString(const QString &value);

} // namespace HtmlEscape
