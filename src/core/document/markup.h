#pragma once

#include "htmlcolor.h"
#include "pagemodel.h"

#include <QString>

#include <optional>

// The HTML that the editing aids of the text and bullet steps put into the page text.
namespace Markup {

// What goes before and after the selected text.
struct TagPair {
    QString opening;
    QString closing;
    bool operator==(const TagPair &) const = default;
};

// A FONT element with the face, colour and size attributes that are given, in this order,
// each value in double quotes; none when there is nothing to set.
std::optional<TagPair> fontTags(
    const QString &face, std::optional<TColor> color, const QString &size);

// The anchor the link picker inserts: the picture by its bare file name with the stored
// height and width, or else the description as the link's text.
QString linkElement(const LinkRow &row);

} // namespace Markup
