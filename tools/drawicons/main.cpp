// Draws every bitmap icon Zephyro ships, so the artwork can be regenerated
// and tweaked in code instead of being hand-edited pixel by pixel.
//
// Usage: drawicons <output-directory>
//        drawicons --desktop <output-directory>
//
// The second form writes the application icon for the desktop's icon theme:
// the PNG sizes of hicolor and a scalable SVG of the same drawing.
//
// Each icon is drawn in its own design grid (16, 32 or 48 units) and rendered
// at 1x and 2x. Outlines sit on half-unit coordinates where possible so that
// horizontal and vertical edges land on whole pixels at both scales.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using DrawFn = std::function<void(QPainter &)>;

// A small shared palette keeps the set looking like one family.
namespace pal {
const QColor ink(0x2b, 0x33, 0x40);
const QColor outline(0x47, 0x52, 0x63);
const QColor paper(0xff, 0xff, 0xff);
const QColor paperShade(0xdd, 0xe4, 0xee);
const QColor textLine(0x9a, 0xa6, 0xb6);
const QColor blue(0x3b, 0x82, 0xd6);
const QColor blueDark(0x1f, 0x55, 0x98);
const QColor blueLight(0xbf, 0xe0, 0xfb);
const QColor green(0x3f, 0xb3, 0x4f);
const QColor greenDark(0x23, 0x76, 0x31);
const QColor red(0xe5, 0x48, 0x3c);
const QColor redDark(0xa1, 0x25, 0x1c);
const QColor orange(0xf5, 0x9e, 0x0b);
const QColor orangeDark(0xb4, 0x67, 0x00);
const QColor yellow(0xfc, 0xcf, 0x3a);
const QColor yellowDark(0xb9, 0x83, 0x05);
const QColor purple(0x8b, 0x5c, 0xf6);
const QColor purpleDark(0x5b, 0x34, 0xb5);
const QColor teal(0x0e, 0xa5, 0xb7);
const QColor tealDark(0x0b, 0x6e, 0x7c);
const QColor grey(0xcb, 0xd3, 0xdd);
const QColor greyDark(0x5f, 0x6b, 0x7a);
const QColor pink(0xf4, 0x8f, 0xa6);
const QColor pinkDark(0xb8, 0x4a, 0x63);
const QColor tan(0xf3, 0xd3, 0x9d);
const QColor tanDark(0xa8, 0x74, 0x3c);
const QColor arrowInk(0x2b, 0x2f, 0x36);
} // namespace pal

QPen roundPen(const QColor &c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPen sharpPen(const QColor &c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

void fillStroke(QPainter &p, const QPainterPath &path, const QColor &fill, const QColor &line,
                qreal w, bool round = false)
{
    p.setBrush(fill);
    p.setPen(round ? roundPen(line, w) : sharpPen(line, w));
    p.drawPath(path);
}

QPainterPath polygonPath(std::initializer_list<QPointF> pts)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(pts));
    path.closeSubpath();
    return path;
}

QPainterPath circlePath(QPointF c, qreal r)
{
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

QPainterPath starPath(QPointF c, qreal outer, qreal inner, int points = 5)
{
    QPolygonF poly;
    for (int i = 0; i < points * 2; ++i) {
        const qreal r = (i % 2) ? inner : outer;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / points;
        poly << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

// Sheet of paper with a folded top-right corner.
void drawPage(QPainter &p, QRectF r, qreal fold, qreal w, const QColor &line = pal::outline)
{
    QPainterPath body;
    body.moveTo(r.left(), r.top());
    body.lineTo(r.right() - fold, r.top());
    body.lineTo(r.right(), r.top() + fold);
    body.lineTo(r.right(), r.bottom());
    body.lineTo(r.left(), r.bottom());
    body.closeSubpath();
    fillStroke(p, body, pal::paper, line, w);

    // Only the two inner edges of the fold are stroked: a closed triangle
    // would grow a miter spike at its sharp corner.
    p.setPen(Qt::NoPen);
    p.setBrush(pal::paperShade);
    p.drawPath(polygonPath({{r.right() - fold, r.top()},
                            {r.right() - fold, r.top() + fold},
                            {r.right(), r.top() + fold}}));
    QPainterPath crease;
    crease.moveTo(r.right() - fold, r.top());
    crease.lineTo(r.right() - fold, r.top() + fold);
    crease.lineTo(r.right(), r.top() + fold);
    p.setBrush(Qt::NoBrush);
    p.setPen(sharpPen(line, w));
    p.drawPath(crease);
}

void textLines(QPainter &p, qreal x1, qreal x2, std::initializer_list<qreal> ys, qreal w,
               const QColor &c = pal::textLine)
{
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::FlatCap));
    for (qreal y : ys)
        p.drawLine(QPointF(x1, y), QPointF(x2, y));
}

// Round badge in the bottom-right corner of 16-unit icons; the white ring keeps
// it readable on top of whatever it overlaps.
void badge(QPainter &p, const QColor &fill, const QColor &line, bool plus)
{
    const QPointF c(11.5, 11.5);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::paper);
    p.drawEllipse(c, 4.5, 4.5);
    fillStroke(p, circlePath(c, 3.5), fill, line, 1.0);
    p.setPen(QPen(pal::paper, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(9.5, 11.5), QPointF(13.5, 11.5));
    if (plus)
        p.drawLine(QPointF(11.5, 9.5), QPointF(11.5, 13.5));
}

// ---- shared shapes -------------------------------------------------------

QPainterPath upArrowPath(qreal cx, qreal tip, qreal headBase, qreal bottom, qreal halfHead,
                         qreal halfShaft)
{
    return polygonPath({{cx, tip},
                        {cx + halfHead, headBase},
                        {cx + halfShaft, headBase},
                        {cx + halfShaft, bottom},
                        {cx - halfShaft, bottom},
                        {cx - halfShaft, headBase},
                        {cx - halfHead, headBase}});
}

QPainterPath plusPath(qreal c, qreal half, qreal arm)
{
    return polygonPath({{c - arm, c - half},
                        {c + arm, c - half},
                        {c + arm, c - arm},
                        {c + half, c - arm},
                        {c + half, c + arm},
                        {c + arm, c + arm},
                        {c + arm, c + half},
                        {c - arm, c + half},
                        {c - arm, c + arm},
                        {c - half, c + arm},
                        {c - half, c - arm},
                        {c - arm, c - arm}});
}

// Two interlocking chain links, drawn around the origin along the x axis.
// The caller rotates and scales the painter.
void drawChain(QPainter &p, const QColor &a, const QColor &aDark, const QColor &b,
               const QColor &bDark, qreal len, qreal thick, qreal stroke, qreal outlineW)
{
    const qreal overlap = thick * 0.9;
    const QRectF ra(-len + overlap / 2, -thick / 2, len, thick);
    const QRectF rb(-overlap / 2, -thick / 2, len, thick);
    const qreal radius = thick / 2;

    auto link = [&](const QRectF &r, const QColor &c, const QColor &dark) {
        QPainterPath path;
        path.addRoundedRect(r, radius, radius);
        if (outlineW > 0) {
            p.setPen(roundPen(dark, stroke + 2 * outlineW));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        }
        p.setPen(roundPen(c, stroke));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };

    link(ra, a, aDark);
    link(rb, b, bDark);
    // Lay link A back over B along the top crossing so they read as interlocked.
    p.save();
    p.setClipRect(QRectF(-overlap, -thick, overlap * 2, thick * 0.9));
    link(ra, a, aDark);
    p.restore();
}

void drawPencil(QPainter &p, qreal s)
{
    // Pencil along the x axis, tip at the negative end; s is the half thickness.
    const qreal tipLen = s * 1.7;
    const qreal bodyStart = -2.5 * s;
    const qreal bodyEnd = 2.2 * s;
    const qreal w = 1.0;

    QPainterPath tip = polygonPath({{bodyStart - tipLen, 0}, {bodyStart, -s}, {bodyStart, s}});
    fillStroke(p, tip, pal::tan, pal::tanDark, w);
    QPainterPath lead = polygonPath(
        {{bodyStart - tipLen, 0}, {bodyStart - tipLen * 0.6, -s * 0.4}, {bodyStart - tipLen * 0.6, s * 0.4}});
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawPath(lead);

    QPainterPath body;
    body.addRect(QRectF(bodyStart, -s, bodyEnd - bodyStart, 2 * s));
    fillStroke(p, body, pal::yellow, pal::yellowDark, w);

    QPainterPath eraser;
    eraser.addRect(QRectF(bodyEnd, -s, s * 1.6, 2 * s));
    fillStroke(p, eraser, pal::pink, pal::pinkDark, w);
}

void drawPerson(QPainter &p)
{
    fillStroke(p, circlePath(QPointF(6.5, 4.5), 3.0), pal::blue, pal::blueDark, 1.0);
    QPainterPath body;
    body.moveTo(1.5, 14.5);
    body.cubicTo(1.5, 9.5, 3.5, 8.5, 6.5, 8.5);
    body.cubicTo(9.5, 8.5, 11.5, 9.5, 11.5, 14.5);
    body.closeSubpath();
    fillStroke(p, body, pal::blue, pal::blueDark, 1.0);
}

// ---- 32-unit step icons --------------------------------------------------

void stepStart(QPainter &p)
{
    drawPage(p, QRectF(5, 2, 19, 27), 7, 2);
    textLines(p, 9, 16, {8}, 2);
    textLines(p, 9, 20, {12, 16}, 2);
    textLines(p, 9, 14, {20}, 2);
    p.setPen(roundPen(pal::yellowDark, 2));
    p.setBrush(pal::yellow);
    p.drawPath(starPath(QPointF(22.5, 21.5), 9.0, 4.0));
}

void stepColors(QPainter &p)
{
    QPainterPath base;
    base.addEllipse(QRectF(2, 4, 28, 24));
    base = base.subtracted(circlePath(QPointF(26.5, 23.5), 5.0));
    base = base.subtracted(circlePath(QPointF(11.5, 21.0), 2.6));
    fillStroke(p, base, pal::tan, pal::tanDark, 2, true);

    struct Dot {
        QPointF c;
        QColor fill, line;
    };
    const Dot dots[] = {
        {{9.0, 13.0}, pal::red, pal::redDark},
        {{15.5, 9.5}, pal::yellow, pal::yellowDark},
        {{22.5, 10.0}, pal::green, pal::greenDark},
        {{25.5, 16.5}, pal::blue, pal::blueDark},
        {{18.5, 17.5}, pal::purple, pal::purpleDark},
    };
    for (const Dot &d : dots)
        fillStroke(p, circlePath(d.c, 2.9), d.fill, d.line, 1.0);
}

void stepImages(QPainter &p)
{
    const QRectF frame(3, 5, 26, 22);
    QPainterPath framePath;
    framePath.addRoundedRect(frame, 2, 2);

    p.save();
    p.setClipPath(framePath);
    p.fillRect(frame, pal::blueLight);
    fillStroke(p, circlePath(QPointF(22, 11.5), 3.2), pal::yellow, pal::yellowDark, 1.0);
    fillStroke(p, polygonPath({{8, 28}, {19, 15}, {31, 28}}), QColor(0x7c, 0xc5, 0x7f),
               pal::greenDark, 1.0);
    fillStroke(p, polygonPath({{1, 28}, {11, 13}, {22, 28}}), pal::green, pal::greenDark, 1.0);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(sharpPen(pal::outline, 2));
    p.drawPath(framePath);
}

void stepLinks(QPainter &p)
{
    p.save();
    p.translate(16, 16);
    p.rotate(-45);
    drawChain(p, pal::blue, pal::blueDark, pal::green, pal::greenDark, 18, 9, 3, 1);
    p.restore();
}

void stepText(QPainter &p)
{
    // Capital A as a filled outline so no font is needed at build time.
    QPainterPath a = polygonPath({{2, 19}, {7.5, 3}, {11.5, 3}, {17, 19}, {13.5, 19}, {12.3, 15},
                                  {6.7, 15}, {5.5, 19}});
    a = a.subtracted(polygonPath({{7.7, 12}, {9.5, 6.2}, {11.3, 12}}));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::blue);
    p.drawPath(a);

    textLines(p, 20, 29, {4.5, 10.5, 16.5}, 3, pal::greyDark);
    textLines(p, 2, 29, {22.5}, 3, pal::greyDark);
    textLines(p, 2, 21, {28.5}, 3, pal::greyDark);
}

void stepBullets(QPainter &p)
{
    const QColor fills[] = {pal::red, pal::green, pal::blue};
    const QColor lines[] = {pal::redDark, pal::greenDark, pal::blueDark};
    const qreal ys[] = {6.5, 16, 25.5};
    const qreal ends[] = {30, 26, 28};
    for (int i = 0; i < 3; ++i) {
        fillStroke(p, circlePath(QPointF(6, ys[i]), 3.5), fills[i], lines[i], 1.0);
        textLines(p, 13, ends[i], {ys[i]}, 3, pal::greyDark);
    }
}

void stepSave(QPainter &p)
{
    QPainterPath body = polygonPath({{4, 4}, {24, 4}, {28, 8}, {28, 28}, {4, 28}});
    fillStroke(p, body, pal::blue, pal::blueDark, 2);

    QPainterPath shutter;
    shutter.addRect(QRectF(9, 4, 13, 9));
    fillStroke(p, shutter, pal::grey, pal::blueDark, 2);
    p.fillRect(QRectF(17, 6, 3, 5), pal::greyDark);

    QPainterPath label;
    label.addRect(QRectF(8, 17, 16, 11));
    fillStroke(p, label, pal::paper, pal::blueDark, 2);
    textLines(p, 11, 21, {21, 24.5}, 1.5, pal::textLine);
}

QPainterPath cloudPath(qreal s)
{
    QPainterPath cloud;
    cloud.addRoundedRect(QRectF(3 * s, 13 * s, 26 * s, 10 * s), 5 * s, 5 * s);
    cloud = cloud.united(circlePath(QPointF(11 * s, 13.5 * s), 5.5 * s));
    cloud = cloud.united(circlePath(QPointF(18.5 * s, 11 * s), 7 * s));
    cloud = cloud.united(circlePath(QPointF(24.5 * s, 15.5 * s), 4.5 * s));
    return cloud.simplified();
}

void stepUpload(QPainter &p)
{
    fillStroke(p, cloudPath(1), pal::blueLight, pal::blue, 2, true);
    fillStroke(p, upArrowPath(16, 12, 19.5, 30, 6.5, 3), pal::green, pal::greenDark, 2, false);
}

// ---- 48-unit application icon --------------------------------------------

void appIcon(QPainter &p)
{
    drawPage(p, QRectF(13, 2, 30, 38), 10, 2);
    p.fillRect(QRectF(18, 8, 12, 4), pal::blue);
    textLines(p, 18, 38, {16, 21, 26}, 2);

    // West-wind swirls drifting across the page; the white halo keeps them
    // separate from the text lines underneath.
    QPainterPath upper;
    upper.moveTo(3, 34);
    upper.lineTo(33, 34);
    upper.arcTo(QRectF(28, 24, 10, 10), -90, 270);
    upper.arcTo(QRectF(28, 26.5, 5, 5), 180, 180);

    QPainterPath lower;
    lower.moveTo(10, 40.5);
    lower.lineTo(25, 40.5);
    lower.arcTo(QRectF(22, 40.5, 6, 5), 90, -270);

    QPainterPath small;
    small.moveTo(6, 27);
    small.lineTo(18, 27);

    const QPainterPath *strokes[] = {&upper, &lower, &small};
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(pal::paper, 7));
    for (const QPainterPath *path : strokes)
        p.drawPath(*path);
    p.setPen(roundPen(pal::tealDark, 4.4));
    for (const QPainterPath *path : strokes)
        p.drawPath(*path);
    p.setPen(roundPen(pal::teal, 2.4));
    for (const QPainterPath *path : strokes)
        p.drawPath(*path);
}

// ---- 16-unit glyphs ------------------------------------------------------

void help(QPainter &p)
{
    fillStroke(p, circlePath(QPointF(8, 8), 7), pal::blue, pal::blueDark, 1);
    QPainterPath q;
    q.moveTo(5.6, 6.2);
    q.arcTo(QRectF(5.6, 3.6, 4.8, 4.8), 180, -225);
    q.quadTo(8, 8.6, 8, 9.9);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::paper, 1.9, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::paper);
    p.drawEllipse(QPointF(8, 12.1), 1.15, 1.15);
}

void settings(QPainter &p)
{
    QPainterPath gear = circlePath(QPointF(8, 8), 5.2);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRect(QRectF(-1.5, -7.5, 3, 4));
        QTransform t;
        t.translate(8, 8);
        t.rotate(i * 45.0);
        gear = gear.united(t.map(tooth));
    }
    gear = gear.subtracted(circlePath(QPointF(8, 8), 2.2));
    fillStroke(p, gear.simplified(), QColor(0x8a, 0x96, 0xa8), pal::greyDark, 1);
}

void hosting(QPainter &p)
{
    const QPointF c(8, 8);
    const qreal r = 7;
    QPainterPath globe = circlePath(c, r);
    fillStroke(p, globe, pal::blue, pal::blueDark, 1);

    p.save();
    p.setClipPath(circlePath(c, r - 0.5));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::blueLight, 1.0));
    p.drawEllipse(c, 3.0, r);
    p.drawLine(QPointF(8, 1), QPointF(8, 15));
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
    p.drawLine(QPointF(2, 4.5), QPointF(14, 4.5));
    p.drawLine(QPointF(2, 11.5), QPointF(14, 11.5));
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(sharpPen(pal::blueDark, 1));
    p.drawPath(globe);
}

void linkIcon(QPainter &p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    drawChain(p, pal::blue, pal::blueDark, pal::green, pal::greenDark, 10, 5.2, 1.9, 0);
    p.restore();
}

// A web page with a link on it: the links found in a file.
void fileLinksIcon(QPainter &p)
{
    drawPage(p, QRectF(1.5, 0.5, 10, 13), 3, 1);
    textLines(p, 3.5, 9.5, {5.0, 7.5}, 1);
    p.save();
    p.translate(11, 11.5);
    p.rotate(-45);
    p.scale(0.55, 0.55);
    drawChain(p, pal::blue, pal::blueDark, pal::green, pal::greenDark, 10, 5.2, 1.9, 0);
    p.restore();
}

// A bookmark ribbon hanging from a book's edge.
void bookmarksIcon(QPainter &p)
{
    QPainterPath book;
    book.addRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    fillStroke(p, book, pal::blueLight, pal::blueDark, 1);
    fillStroke(p, polygonPath({{6.5, 1.5}, {10.5, 1.5}, {10.5, 11.5}, {8.5, 9.5}, {6.5, 11.5}}),
               pal::red, pal::redDark, 1);
}

// A gold star: the favorites.
void favoritesIcon(QPainter &p)
{
    fillStroke(p, starPath(QPointF(8, 8.5), 7.2, 3.1), pal::yellow, pal::yellowDark, 1);
}

void metaIcon(QPainter &p)
{
    QPainterPath tag = polygonPath({{1, 8}, {5.5, 3.5}, {14.5, 3.5}, {14.5, 12.5}, {5.5, 12.5}});
    tag = tag.subtracted(circlePath(QPointF(5.5, 8), 1.3));
    fillStroke(p, tag, pal::orange, pal::orangeDark, 1, true);
    textLines(p, 8.5, 12.5, {6.5, 9.5}, 1, QColor(255, 255, 255, 210));
}

void boldIcon(QPainter &p)
{
    QPainterPath top;
    top.moveTo(4.6, 13.4);
    top.lineTo(4.6, 2.6);
    top.lineTo(8.4, 2.6);
    top.arcTo(QRectF(6.0, 2.6, 4.8, 4.9), 90, -180);
    top.lineTo(4.6, 7.5);
    QPainterPath bottom;
    bottom.moveTo(4.6, 7.5);
    bottom.lineTo(8.9, 7.5);
    bottom.arcTo(QRectF(6.0, 7.5, 5.9, 5.9), 90, -180);
    bottom.lineTo(4.6, 13.4);
    p.setBrush(Qt::NoBrush);
    p.setPen(sharpPen(pal::ink, 2.4));
    p.drawPath(top);
    p.drawPath(bottom);
}

void italicIcon(QPainter &p)
{
    p.setPen(QPen(pal::ink, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(9.8, 2.5), QPointF(6.2, 13.5));
    p.setPen(QPen(pal::ink, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(7.0, 2.3), QPointF(13.0, 2.3));
    p.drawLine(QPointF(3.0, 13.7), QPointF(9.0, 13.7));
}

void underlineIcon(QPainter &p)
{
    QPainterPath u;
    u.moveTo(4.5, 1.5);
    u.lineTo(4.5, 7.5);
    u.arcTo(QRectF(4.5, 4.0, 7.0, 7.0), 180, 180);
    u.lineTo(11.5, 1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::ink, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(u);
    p.fillRect(QRectF(2, 13, 12, 2), pal::blue);
}

void fontsIcon(QPainter &p)
{
    QPainterPath a;
    a.moveTo(3.2, 11.2);
    a.lineTo(8, 1.3);
    a.lineTo(12.8, 11.2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::ink, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(a);
    p.setPen(QPen(pal::ink, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5.3, 8.0), QPointF(10.7, 8.0));
    p.fillRect(QRectF(1, 12.5, 14, 3), pal::red);
}

void importIcon(QPainter &p)
{
    drawPage(p, QRectF(5.5, 1.5, 9, 13), 3, 1);
    textLines(p, 9, 12, {7.5, 10.5}, 1);
    fillStroke(p,
               polygonPath({{0.5, 6.5}, {4.5, 6.5}, {4.5, 3.5}, {9.5, 8.5}, {4.5, 13.5}, {4.5, 10.5},
                            {0.5, 10.5}}),
               pal::green, pal::greenDark, 1);
}

void keymaskIcon(QPainter &p)
{
    QPainterPath cap;
    cap.addRoundedRect(QRectF(0.5, 2.5, 15, 11), 2, 2);
    fillStroke(p, cap, QColor(0xf1, 0xf4, 0xf8), pal::greyDark, 1);
    QPainterPath key;
    key.moveTo(11.5, 5.0);
    key.lineTo(11.5, 9.5);
    key.lineTo(5.5, 9.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::ink, 1.4, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(key);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawPath(polygonPath({{3.0, 9.5}, {6.5, 6.8}, {6.5, 12.2}}));
}

void addIcon(QPainter &p)
{
    fillStroke(p, plusPath(8, 6.5, 2.5), pal::green, pal::greenDark, 1);
}

void deleteIcon(QPainter &p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    p.translate(-8, -8);
    fillStroke(p, plusPath(8, 7.5, 2.2), pal::red, pal::redDark, 1);
    p.restore();
}

void editIcon(QPainter &p)
{
    p.save();
    p.translate(8.3, 7.7);
    p.rotate(-45);
    drawPencil(p, 2.4);
    p.restore();
}

void arrowUp(QPainter &p)
{
    fillStroke(p, upArrowPath(8, 1, 7.5, 14.5, 6.5, 2.5), pal::blue, pal::blueDark, 1);
}

void arrowDown(QPainter &p)
{
    p.save();
    p.translate(0, 16);
    p.scale(1, -1);
    arrowUp(p);
    p.restore();
}

void openIcon(QPainter &p)
{
    QPainterPath back = polygonPath(
        {{0.5, 2.5}, {5.5, 2.5}, {7.0, 4.5}, {13.5, 4.5}, {13.5, 13.5}, {0.5, 13.5}});
    fillStroke(p, back, QColor(0xe8, 0xa3, 0x17), pal::orangeDark, 1);
    QPainterPath front = polygonPath({{3.0, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {0.5, 13.5}});
    fillStroke(p, front, pal::yellow, pal::orangeDark, 1);
}

void clearIcon(QPainter &p)
{
    p.save();
    p.translate(8, 7);
    p.rotate(-40);
    QPainterPath tipPart;
    tipPart.addRoundedRect(QRectF(-6, -3, 5, 6), 1, 1);
    QPainterPath sleeve;
    sleeve.addRoundedRect(QRectF(-1, -3, 7.5, 6), 1, 1);
    fillStroke(p, sleeve, pal::blue, pal::blueDark, 1);
    fillStroke(p, tipPart, pal::pink, pal::pinkDark, 1);
    p.restore();
    p.setPen(roundPen(pal::greyDark, 1));
    p.drawLine(QPointF(4.5, 14.5), QPointF(14.5, 14.5));
}

void newProfileIcon(QPainter &p)
{
    drawPerson(p);
    badge(p, pal::green, pal::greenDark, true);
}

void editProfileIcon(QPainter &p)
{
    drawPerson(p);
    p.save();
    p.translate(12.0, 11.5);
    p.rotate(-45);
    p.scale(0.62, 0.62);
    // White halo first so the pencil stays visible over the figure.
    p.setPen(QPen(pal::paper, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(pal::paper);
    p.drawRect(QRectF(-7, -2.4, 14, 4.8));
    drawPencil(p, 2.4);
    p.restore();
}

void files(QPainter &p)
{
    drawPage(p, QRectF(4.5, 0.5, 9, 11), 3, 1);
    drawPage(p, QRectF(1.5, 3.5, 9, 11), 3, 1);
    textLines(p, 3.5, 8.5, {8.5, 11.5}, 1);
}

void addFilesIcon(QPainter &p)
{
    files(p);
    badge(p, pal::green, pal::greenDark, true);
}

void removeFilesIcon(QPainter &p)
{
    files(p);
    badge(p, pal::red, pal::redDark, false);
}

void uploadIcon(QPainter &p)
{
    QPainterPath tray = polygonPath(
        {{0.5, 8.5}, {3.5, 8.5}, {3.5, 12.5}, {12.5, 12.5}, {12.5, 8.5}, {15.5, 8.5}, {15.5, 15.5},
         {0.5, 15.5}});
    fillStroke(p, tray, QColor(0x8a, 0x96, 0xa8), pal::greyDark, 1);
    fillStroke(p, upArrowPath(8, 0.5, 6.5, 11.5, 5.5, 2), pal::green, pal::greenDark, 1);
}

// ---- scroll arrows -------------------------------------------------------

// Pixel-exact triangle, like classic scroll-bar arrows: rows grow by one pixel
// per step towards the middle, so no antialiasing blur at this tiny size.
QImage scrollArrow(bool left, int scale)
{
    QImage img(10 * scale, 9 * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    for (int row = 0; row < 9; ++row) {
        const int len = 5 - std::abs(row - 4);
        const int x = left ? 7 - len : 3;
        p.fillRect(QRect(x * scale, row * scale, len * scale, scale), pal::arrowInk);
    }
    p.end();
    return img;
}

// ---- output --------------------------------------------------------------

struct IconDef {
    const char *name;
    int size; // logical size in pixels; also the design grid
    DrawFn draw;
    int gridScale = 1; // draw a smaller design enlarged (for upload-large)
};

bool writeImage(const QImage &img, const QString &path)
{
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "drawicons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage render(const IconDef &def, int scale)
{
    const int px = def.size * scale;
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale * def.gridScale, scale * def.gridScale);
    def.draw(p);
    p.end();
    return img;
}

// ---- SVG output ----------------------------------------------------------

// Records what a drawing paints as SVG paths. It knows only what the icons use:
// solid pens and brushes, paths, lines, rectangles and polygons, no clipping.
class SvgEngine final : public QPaintEngine {
public:
    SvgEngine()
        : QPaintEngine(PainterPaths | PrimitiveTransform | AlphaBlend | Antialiasing)
    {}

    QString body;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

    void drawPath(const QPainterPath &path) override { emitPath(path, true); }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        if (mode != PolylineMode)
            path.closeSubpath();
        emitPath(path, mode != PolylineMode);
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path(lines[i].p1());
            path.lineTo(lines[i].p2());
            emitPath(path, false);
        }
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path;
            path.addRect(rects[i]);
            emitPath(path, true);
        }
    }

private:
    static QString colour(const QColor &c)
    {
        QString text = QStringLiteral("\"%1\"").arg(c.name(QColor::HexRgb));
        if (c.alpha() != 255)
            text += QStringLiteral(" %1-opacity=\"%2\"").arg(QStringLiteral("@")).arg(c.alphaF());
        return text;
    }

    void emitPath(const QPainterPath &path, bool fill)
    {
        const QPen pen = painter()->pen();
        const QBrush brush = painter()->brush();
        QString d;
        QPointF start;
        QPointF last;
        const auto endSubpath = [&] {
            // A subpath back at its start was closed; Z joins its corner as Qt does.
            if (!d.isEmpty() && last == start)
                d += QStringLiteral("Z ");
        };
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo()) {
                endSubpath();
                d += QStringLiteral("M%1 %2 ").arg(e.x).arg(e.y);
                start = last = e;
            } else if (e.isLineTo()) {
                d += QStringLiteral("L%1 %2 ").arg(e.x).arg(e.y);
                last = e;
            } else if (e.isCurveTo()) {
                const QPainterPath::Element c2 = path.elementAt(i + 1);
                const QPainterPath::Element end = path.elementAt(i + 2);
                d += QStringLiteral("C%1 %2 %3 %4 %5 %6 ")
                         .arg(e.x)
                         .arg(e.y)
                         .arg(c2.x)
                         .arg(c2.y)
                         .arg(end.x)
                         .arg(end.y);
                last = end;
                i += 2;
            }
        }
        endSubpath();
        const QTransform t = painter()->transform();
        QString attributes;
        if (!t.isIdentity())
            attributes = QStringLiteral(" transform=\"matrix(%1 %2 %3 %4 %5 %6)\"")
                             .arg(t.m11())
                             .arg(t.m12())
                             .arg(t.m21())
                             .arg(t.m22())
                             .arg(t.dx())
                             .arg(t.dy());
        if (fill && brush.style() == Qt::SolidPattern)
            attributes += QStringLiteral(" fill=")
                + colour(brush.color()).replace(QLatin1Char('@'), QStringLiteral("fill"));
        else
            attributes += QStringLiteral(" fill=\"none\"");
        if (path.fillRule() == Qt::WindingFill)
            attributes += QStringLiteral(" fill-rule=\"nonzero\"");
        else
            attributes += QStringLiteral(" fill-rule=\"evenodd\"");
        if (pen.style() != Qt::NoPen) {
            attributes += QStringLiteral(" stroke=")
                + colour(pen.color()).replace(QLatin1Char('@'), QStringLiteral("stroke"));
            attributes += QStringLiteral(" stroke-width=\"%1\"").arg(pen.widthF());
            const char *cap = pen.capStyle() == Qt::RoundCap ? "round"
                : pen.capStyle() == Qt::SquareCap            ? "square"
                                                             : "butt";
            const char *join = pen.joinStyle() == Qt::RoundJoin ? "round"
                : pen.joinStyle() == Qt::BevelJoin              ? "bevel"
                                                                : "miter";
            attributes += QStringLiteral(" stroke-linecap=\"%1\" stroke-linejoin=\"%2\"")
                              .arg(QLatin1String(cap), QLatin1String(join));
        }
        body += QStringLiteral("  <path d=\"%1\"%2/>\n").arg(d.trimmed(), attributes);
    }
};

class SvgDevice final : public QPaintDevice {
public:
    explicit SvgDevice(int size)
        : m_size(size)
    {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QString svg() const
    {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                              "height=\"%1\" viewBox=\"0 0 %1 %1\">\n%2</svg>\n")
            .arg(m_size)
            .arg(m_engine.body);
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return m_size;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmDepth:
            return 32;
        default:
            return 1;
        }
    }

private:
    int m_size;
    mutable SvgEngine m_engine;
};

// The application icon in every size the hicolor theme lists, plus the SVG.
int writeDesktopIcons(const QDir &out)
{
    const IconDef def {"zephyro", 48, appIcon};
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 48.0, size / 48.0);
        def.draw(p);
        p.end();
        ok &= writeImage(img, out.filePath(QStringLiteral("%1.png").arg(size)));
    }
    SvgDevice device(48);
    {
        QPainter p(&device);
        p.setRenderHint(QPainter::Antialiasing);
        def.draw(p);
    }
    QFile svg(out.filePath(QStringLiteral("scalable.svg")));
    ok &= svg.open(QIODevice::WriteOnly) && svg.write(device.svg().toUtf8()) > 0;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const bool desktop = argc == 3 && qstrcmp(argv[1], "--desktop") == 0;
    if (argc != 2 && !desktop) {
        std::fprintf(stderr, "usage: drawicons [--desktop] <output-directory>\n");
        return 2;
    }
    const char *folder = argv[argc - 1];
    const QDir out(QString::fromLocal8Bit(folder));
    if (!QDir().mkpath(out.absolutePath())) {
        std::fprintf(stderr, "drawicons: cannot create %s\n", folder);
        return 1;
    }
    if (desktop)
        return writeDesktopIcons(out);

    const std::vector<IconDef> icons = {
        {"step1", 32, stepStart},
        {"step2", 32, stepColors},
        {"step3", 32, stepImages},
        {"step4", 32, stepLinks},
        {"step5", 32, stepText},
        {"step6", 32, stepBullets},
        {"step7", 32, stepSave},
        {"step8", 32, stepUpload},
        {"zephyro", 48, appIcon},
        {"help", 16, help},
        {"settings", 16, settings},
        {"hosting", 16, hosting},
        {"link", 16, linkIcon},
        {"filelinks", 16, fileLinksIcon},
        {"bookmarks", 16, bookmarksIcon},
        {"favorites", 16, favoritesIcon},
        {"meta", 16, metaIcon},
        {"bold", 16, boldIcon},
        {"italic", 16, italicIcon},
        {"underline", 16, underlineIcon},
        {"fonts", 16, fontsIcon},
        {"import", 16, importIcon},
        {"keymask", 16, keymaskIcon},
        {"add", 16, addIcon},
        {"edit", 16, editIcon},
        {"delete", 16, deleteIcon},
        {"up", 16, arrowUp},
        {"down", 16, arrowDown},
        {"open", 16, openIcon},
        {"clear", 16, clearIcon},
        {"newprofile", 16, newProfileIcon},
        {"editprofile", 16, editProfileIcon},
        {"addfiles", 16, addFilesIcon},
        {"removefiles", 16, removeFilesIcon},
        {"upload", 16, uploadIcon},
        {"upload-large", 32, uploadIcon, 2},
    };

    bool ok = true;
    for (const IconDef &def : icons) {
        const QString base = QString::fromLatin1(def.name);
        ok &= writeImage(render(def, 1), out.filePath(base + ".png"));
        ok &= writeImage(render(def, 2), out.filePath(base + "@2x.png"));
    }
    ok &= writeImage(scrollArrow(true, 1), out.filePath("scroll-left.png"));
    ok &= writeImage(scrollArrow(true, 2), out.filePath("scroll-left@2x.png"));
    ok &= writeImage(scrollArrow(false, 1), out.filePath("scroll-right.png"));
    ok &= writeImage(scrollArrow(false, 2), out.filePath("scroll-right@2x.png"));
    return ok ? 0 : 1;
}
