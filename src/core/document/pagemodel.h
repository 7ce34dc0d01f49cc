#pragma once

#include "pagecolors.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

struct MetaRow {
    QString content;
    QString name;
    bool operator==(const MetaRow &) const = default;
};

// One link of the links list. The address of an e-mail link starts with "MAILTO:"; a
// text link has no image; height and width are decimal text, empty without an image.
struct LinkRow {
    QString address;
    QString description;
    QString image;
    QString height;
    QString width;
    // Only checked links appear in the page's link list.
    bool checked = false;
    bool operator==(const LinkRow &) const = default;
};

// A picture field: the text shown (normally the file name, which the page refers to) and
// the full path of the chosen file (which the project keeps; empty when typed by hand).
struct PictureField {
    QString shown;
    QString path;
    bool operator==(const PictureField &) const = default;
};

inline constexpr std::array<const char16_t *, 2> kLinkStyles
    = {u"Default Style", u"Drop Box Style"};
inline constexpr int kDropBoxStyle = 1;
inline constexpr std::array<const char16_t *, 7> kBulletTypes
    = {u"Disc", u"Square", u"Circle", u"A", u"a", u"I", u"i"};
// The first three types make an unordered list, the others an ordered one.
inline constexpr int kFirstOrderedBulletType = 3;

// Every answer that makes up one page, with the values a reset gives them.
struct PageModel {
    QString style; // template name; empty when none is chosen
    QList<MetaRow> meta;
    QString title;
    QString heading;
    QString headSize = QStringLiteral("7");
    PictureField background;
    std::array<TColor, 5> colors = {defaultPageColor(ColorKind::Background),
        defaultPageColor(ColorKind::Text), defaultPageColor(ColorKind::Link),
        defaultPageColor(ColorKind::ActiveLink), defaultPageColor(ColorKind::VisitedLink)};
    bool marginOn = false;
    QString marginWidth = QStringLiteral("120");
    PictureField image;
    QString imageHeight;
    QString imageWidth;
    int linkStyle = 0; // index into kLinkStyles; -1 for none
    QList<LinkRow> links;
    QString text;       // the page text as typed, lines ended by "\n"
    int bulletType = 0; // index into kBulletTypes; -1 for none
    QStringList bullets;

    TColor color(ColorKind kind) const { return colors[colorSlot(kind)]; }
    bool operator==(const PageModel &) const = default;
};

// The lines of a multi-line text box: a last empty line (after a final line end) is no line.
QStringList textBoxLines(const QString &text);
// The text that holds these lines in a multi-line text box, so that textBoxLines gives them
// back: a last empty line needs a line end of its own.
QString textBoxText(const QStringList &lines);

// A path that names a file wherever the program runs: absolute here, or a Windows path
// with a drive from an older file.
bool isFullPath(const QString &path);

// The file name of a path: the part after its last "/", or "\" in a Windows path.
QString fileNamePart(const QString &path);
