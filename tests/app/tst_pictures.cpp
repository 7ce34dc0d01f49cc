#include "savedpagefixture.h"

#include "linksstep.h"
#include "pagefilelist.h"
#include "tshape.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>

namespace {

enum class Target { Background, Page };

const char *targetName(Target target)
{
    return target == Target::Background ? "background" : "page image";
}

// Four quarters of their own colours, so that a preview shows whether all of it is there.
QImage quarters(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::yellow);
    return image;
}

// What the user sees of a step's pictures, and what the page takes from them.
struct Shown {
    QString bgText, bgPath, text, path, height, width;
    qint64 bgPreview = 0, preview = 0;
    QRect holder;
    QStringList files;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &s, std::ostream *os)
{
    *os << s.bgText.toStdString() << '|' << s.text.toStdString() << '|' << s.height.toStdString()
        << 'x' << s.width.toStdString() << '|' << s.files.join(QLatin1Char(',')).toStdString();
}

} // namespace

class PicturesTest : public SavedPageTest {
protected:
    QString picture(const char *name, QSize size, const char *format = "BMP")
    {
        const QString path = appDir.filePath(QStringLiteral("Backgrounds/") + QLatin1String(name));
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(quarters(size).save(path, format));
        return path;
    }
    QLineEdit *field(Target target) const
    {
        return target == Target::Background ? ui().txtBGImage : ui().txtImage;
    }
    // Picks the file in the picture dialog of the target's step, as the user does.
    void choose(Target target, const QString &path)
    {
        clickStep(target == Target::Background ? 2 : 3);
        dialogs->answerFile(path);
        QTest::mouseClick(
            target == Target::Background ? ui().btnBGImg : ui().btnImage, Qt::LeftButton);
    }
    void clear(Target target)
    {
        clickStep(target == Target::Background ? 2 : 3);
        QTest::mouseClick(
            target == Target::Background ? ui().btnBGClear : ui().btnImgClear, Qt::LeftButton);
    }
    Shown shown() const
    {
        return {ui().txtBGImage->text(), ui().txtBGImage->toolTip(), ui().txtImage->text(),
            ui().txtImage->toolTip(), ui().txtImageH->text(), ui().txtImageW->text(),
            ui().imgBGImage->pixmap().cacheKey(), ui().imgImage->pixmap().cacheKey(),
            ui().imgImage->geometry(), window->pageFiles().paths()};
    }
    QSize canvas() const { return ui().sbImages->widget()->size(); }
    static QByteArray imageTag(const char *name, const char *height, const char *width)
    {
        return QByteArray("<IMG SRC=\"") + name + "\" HEIGHT=\"" + height + "\" WIDTH=\"" + width
            + "\" BORDER=\"0\" ALT=\"Image\">";
    }
};

TEST_F(PicturesTest, APagePictureIsMeasuredAndPlacedBySize)
{
    struct Case {
        const char *name;
        QSize size;
        const char *format;
        QRect holder; // the picture with its margin, in the scroll box's canvas
        QSize canvas;
    };
    const Case cases[] = {
        {"small.jpg", {100, 100}, "JPEG", {129, 52, 100, 100}, {358, 204}},
        {"large.bmp", {400, 300}, "BMP", {10, 10, 410, 310}, {420, 320}},
        {"strip.bmp", {600, 40}, "BMP", {10, 82, 610, 40}, {620, 204}},
    };
    QStringList files;
    qsizetype chosen = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = picture(c.name, c.size, c.format);
        choose(Target::Page, path);
        files << path;
        files.sort(Qt::CaseInsensitive); // the page's files are kept sorted
        ASSERT_EQ(dialogs->pictureRequests().size(), ++chosen);
        const FileDialogRequest &request = dialogs->pictureRequests().last();
        EXPECT_EQ(request.filter, QStringLiteral("Image Files|*.gif;*.jpeg;*.jpg;*.bmp"));
        EXPECT_EQ(request.filterIndex, 0);
        EXPECT_EQ(request.directory, appDir.filePath(QStringLiteral("Backgrounds")));
        EXPECT_TRUE(request.fileName.isEmpty());

        EXPECT_EQ(ui().txtImage->text(), QLatin1String(c.name));
        EXPECT_EQ(ui().txtImage->toolTip(), path);
        EXPECT_EQ(ui().txtImageH->text(), QString::number(c.size.height()));
        EXPECT_EQ(ui().txtImageW->text(), QString::number(c.size.width()));
        EXPECT_EQ(ui().imgImage->pixmap().size(), c.size);
        EXPECT_EQ(ui().imgImage->geometry(), c.holder);
        EXPECT_EQ(canvas(), c.canvas);
        // Scrolled to its far ends, the box shows 10 pixels beyond a large picture.
        QScrollBar *across = ui().sbImages->horizontalScrollBar();
        QScrollBar *down = ui().sbImages->verticalScrollBar();
        EXPECT_EQ(across->value(), 0);
        EXPECT_EQ(down->value(), 0);
        across->setValue(across->maximum());
        down->setValue(down->maximum());
        const QPoint farCorner = ui().imgImage->mapTo(
            ui().sbImages->viewport(), QPoint(c.size.width() - 1, c.size.height() - 1));
        const QSize view = ui().sbImages->viewport()->size();
        if (c.size.width() > 330) {
            EXPECT_EQ(view.width() - 1 - farCorner.x(), 10);
        }
        if (c.size.height() > 200) {
            EXPECT_EQ(view.height() - 1 - farCorner.y(), 10);
        }
        EXPECT_EQ(window->pageFiles().paths(), files);
        EXPECT_TRUE(window->isModified());

        const Saved saved = saveBoth();
        const QByteArray height = QByteArray::number(c.size.height());
        const QByteArray width = QByteArray::number(c.size.width());
        EXPECT_TRUE(saved.page.contains("\r\n" + imageTag(c.name, height, width) + "\r\n"))
            << saved.page.toStdString();
        EXPECT_TRUE(saved.copied.contains(QLatin1String(c.name)));
        EXPECT_EQ(projectValue(saved, QStringLiteral("IMGNAME")), path);
        EXPECT_EQ(projectValue(saved, QStringLiteral("IMGHEIGHT")), QString::fromLatin1(height));
        EXPECT_EQ(projectValue(saved, QStringLiteral("IMGWIDTH")), QString::fromLatin1(width));
    }
}

TEST_F(PicturesTest, ATypedSizeIsKeptUntilAnotherPictureIsChosen)
{
    choose(Target::Page, picture("cat.bmp", {100, 80}));
    ui().txtImageH->selectAll();
    typeInto(ui().txtImageH, QStringLiteral("50"));
    clickStep(4);
    clickStep(3);
    EXPECT_EQ(ui().txtImageH->text(), QStringLiteral("50"));
    EXPECT_EQ(ui().txtImageW->text(), QStringLiteral("100"));
    Saved saved = saveBoth();
    EXPECT_TRUE(saved.page.contains(imageTag("cat.bmp", "50", "100")));
    EXPECT_EQ(projectValue(saved, QStringLiteral("IMGHEIGHT")), QStringLiteral("50"));

    choose(Target::Page, picture("dog.bmp", {30, 40}));
    EXPECT_EQ(ui().txtImageH->text(), QStringLiteral("40"));
    EXPECT_EQ(ui().txtImageW->text(), QStringLiteral("30"));
    saved = saveBoth();
    EXPECT_TRUE(saved.page.contains(imageTag("dog.bmp", "40", "30")));
}

TEST_F(PicturesTest, TheBackgroundIsStretchedBesideTheColoursAndClearingTakesOnlyItsOwnFile)
{
    const QString first = picture("first.bmp", {300, 20});
    const QString second = picture("second.jpg", {20, 400}, "JPEG");
    choose(Target::Background, first);
    choose(Target::Background, second);
    EXPECT_EQ(ui().txtBGImage->text(), QStringLiteral("second.jpg"));
    EXPECT_EQ(ui().txtBGImage->toolTip(), second);
    EXPECT_EQ(window->pageFiles().paths(), QStringList({first, second}));

    // The whole picture, squeezed into the strip at the right end of the colour preview.
    const QRect colours = ui().shpBG->geometry();
    EXPECT_EQ(ui().imgBGImage->geometry(), QRect(colours.right() - 54, colours.top(), 54, 151));
    const QImage seen = ui().imgBGImage->grab().toImage();
    ASSERT_EQ(seen.size(), QSize(54, 151));
    const std::pair<QPoint, QColor> corners[]
        = {{{3, 3}, Qt::red}, {{50, 3}, Qt::green}, {{3, 147}, Qt::blue}, {{50, 147}, Qt::yellow}};
    for (const auto &[at, colour] : corners) {
        const QColor pixel = seen.pixelColor(at);
        EXPECT_LT(std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green())
                + std::abs(pixel.blue() - colour.blue()),
            40)
            << at.x() << "," << at.y();
    }

    Saved saved = saveBoth();
    EXPECT_TRUE(saved.page.contains("<BODY BACKGROUND=\"second.jpg\">"));
    EXPECT_EQ(projectValue(saved, QStringLiteral("BGIMAGE")), second);
    EXPECT_EQ(
        saved.copied, QStringList({QStringLiteral("first.bmp"), QStringLiteral("second.jpg")}));

    clear(Target::Background);
    EXPECT_TRUE(ui().txtBGImage->text().isEmpty());
    EXPECT_TRUE(ui().txtBGImage->toolTip().isEmpty());
    EXPECT_TRUE(ui().imgBGImage->pixmap().isNull());
    EXPECT_EQ(window->pageFiles().paths(), QStringList({first}));
    saved = saveBoth();
    EXPECT_TRUE(saved.page.contains("<BODY BACKGROUND=\"\">"));
    EXPECT_EQ(projectValue(saved, QStringLiteral("BGIMAGE")), QString());
    EXPECT_EQ(saved.copied, QStringList({QStringLiteral("first.bmp")}));
}

TEST_F(PicturesTest, ClearingKeepsAFileThePageStillShows)
{
    enum class Also { Nothing, OtherPicture, Link, TypedOnly };
    struct Case {
        const char *name;
        Target cleared;
        Also also;
    };
    const Case cases[] = {
        {"background alone", Target::Background, Also::Nothing},
        {"background also the page image", Target::Background, Also::OtherPicture},
        {"background also a link", Target::Background, Also::Link},
        {"page image alone", Target::Page, Also::Nothing},
        {"page image also the background", Target::Page, Also::OtherPicture},
        {"page image also a link", Target::Page, Also::Link},
        {"background typed by hand", Target::Background, Also::TypedOnly},
        {"page image typed by hand", Target::Page, Also::TypedOnly},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        createWindow();
        const QString shared = picture("shared.bmp", {400, 300});
        const Target other = c.cleared == Target::Background ? Target::Page : Target::Background;
        if (c.also == Also::TypedOnly) {
            field(c.cleared)->setText(QStringLiteral("typed.gif"));
        } else {
            choose(c.cleared, shared);
        }
        if (c.also == Also::OtherPicture)
            choose(other, shared);
        if (c.also == Also::Link) {
            LinksStep::addRow(ui().lvLinks,
                {QStringLiteral("http://a.example/"), QStringLiteral("A"), shared,
                    QStringLiteral("300"), QStringLiteral("400"), true});
        }
        clear(c.cleared);

        const bool typed = c.also == Also::TypedOnly;
        EXPECT_EQ(field(c.cleared)->text(), typed ? QStringLiteral("typed.gif") : QString());
        EXPECT_TRUE(field(c.cleared)->toolTip().isEmpty());
        const bool kept = c.also == Also::OtherPicture || c.also == Also::Link;
        EXPECT_EQ(window->pageFiles().contains(shared), kept);
        if (c.cleared == Target::Page) {
            EXPECT_TRUE(ui().imgImage->pixmap().isNull());
            EXPECT_EQ(ui().imgImage->size(), QSize(50, 50));
            EXPECT_EQ(canvas(), QSize(358, 204));
            EXPECT_TRUE(ui().txtImageH->text().isEmpty());
            EXPECT_TRUE(ui().txtImageW->text().isEmpty());
        } else {
            EXPECT_TRUE(ui().imgBGImage->pixmap().isNull());
        }

        const Saved saved = saveBoth();
        EXPECT_EQ(saved.copied.contains(QStringLiteral("shared.bmp")), kept);
        const QString key = c.cleared == Target::Background ? QStringLiteral("BGIMAGE")
                                                            : QStringLiteral("IMGNAME");
        EXPECT_EQ(projectValue(saved, key), QString());
        const char *otherShown = c.cleared == Target::Background ? "<IMG SRC=\"shared.bmp\""
                                                                 : "BACKGROUND=\"shared.bmp\"";
        EXPECT_EQ(saved.page.contains(otherShown), c.also == Also::OtherPicture);
        if (c.cleared == Target::Background) {
            EXPECT_TRUE(
                saved.page.contains(typed ? "BACKGROUND=\"typed.gif\"" : "BACKGROUND=\"\""));
        } else if (typed) {
            EXPECT_TRUE(saved.page.contains(imageTag("typed.gif", "", "")));
        } else {
            EXPECT_FALSE(saved.page.contains("ALT=\"Image\">"));
        }
    }
}

TEST_F(PicturesTest, APictureThatCannotBeLoadedChangesNothing)
{
    QImage photo(200, 200, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x, y, (x * y) % 256));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&buffer, "JPEG"));
    // One pixel on a screen of 16385 by 16385: a gigabyte once drawn, beyond the loader's limits.
    QByteArray screen("GIF89a\x01\x40\x01\x40\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                      "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
        35);
    // A bitmap header that claims 100000 by 100000 pixels it does not hold.
    QByteArray huge("BM", 2);
    huge += QByteArray(52, '\0');
    const auto put32 = [&huge](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            huge[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    put32(10, 54);
    put32(14, 40);
    put32(18, 100000);
    put32(22, 100000);
    huge[26] = 1;
    huge[28] = 24;
    const struct {
        const char *name;
        QByteArray bytes; // empty: the file does not exist
    } cases[] = {
        {"notes.jpg", "These are notes, not a picture.\n"},
        {"cut.jpg", jpeg.left(jpeg.size() / 2)},
        {"huge.gif", screen},
        {"lying.bmp", huge},
        {"gone.gif", {}},
    };

    choose(Target::Background, picture("sky.bmp", {16, 16}));
    choose(Target::Page, picture("good.bmp", {100, 80}));
    ui().txtImageW->selectAll();
    typeInto(ui().txtImageW, QStringLiteral("77"));
    const Shown before = shown();
    for (const auto &c : cases) {
        for (Target target : {Target::Background, Target::Page}) {
            SCOPED_TRACE(std::string(c.name) + " as " + targetName(target));
            const QString path = c.bytes.isEmpty()
                ? appDir.filePath(QStringLiteral("Backgrounds/") + QLatin1String(c.name))
                : writeAppFile(QStringLiteral("Backgrounds/") + QLatin1String(c.name), c.bytes);
            const qsizetype messages = dialogs->messages().size();
            dialogs->answerMessage(MessageAnswer::Ok);
            choose(target, path);
            ASSERT_EQ(dialogs->messages().size(), messages + 1);
            const ScriptedDialogs::Message &message = dialogs->messages().last();
            EXPECT_EQ(message.kind, MessageKind::Plain);
            EXPECT_EQ(message.text, QStringLiteral("Could not load image!"));
            EXPECT_EQ(message.buttons, ButtonSet::Ok);
            EXPECT_EQ(shown(), before);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
    }
    const Saved saved = saveBoth();
    EXPECT_TRUE(saved.page.contains("<BODY BACKGROUND=\"sky.bmp\">"));
    EXPECT_TRUE(saved.page.contains(imageTag("good.bmp", "80", "77")));
    EXPECT_EQ(saved.copied, QStringList({QStringLiteral("good.bmp"), QStringLiteral("sky.bmp")}));
    EXPECT_EQ(projectValue(saved, QStringLiteral("IMGWIDTH")), QStringLiteral("77"));
}
