#include "linkrows.h"
#include "savedpagefixture.h"

#include "linksstep.h"
#include "pagefilelist.h"
#include "tshape.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

enum Target { Background, Page };

// What the user sees of the two pictures, and what the page takes from them.
struct Shown {
    QStringList texts;
    qint64 bgPreview, preview;
    QRect holder;
    QStringList files;
    bool operator==(const Shown &) const = default;
};

} // namespace

class PicturesTest : public SavedPageTest {
protected:
    // Four quarters of their own colours, so that a preview shows whether all of it is there.
    QString picture(const char *name, QSize size, const char *format = "BMP")
    {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        const int w = size.width() / 2, h = size.height() / 2;
        painter.fillRect(0, 0, w, h, Qt::red);
        painter.fillRect(w, 0, size.width() - w, h, Qt::green);
        painter.fillRect(0, h, w, size.height() - h, Qt::blue);
        painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::yellow);
        QDir().mkpath(appDir.filePath(QStringLiteral("Backgrounds")));
        const QString path = appDir.filePath(QStringLiteral("Backgrounds/") + QLatin1String(name));
        EXPECT_TRUE(image.save(path, format));
        return path;
    }
    QLineEdit *field(Target target) const
    {
        return target ? ui().images.txtImage : ui().colors.txtBGImage;
    }
    // Picks the file in the picture dialog of the target's step, as the user does.
    void choose(Target target, const QString &path)
    {
        clickStep(target ? 3 : 2);
        dialogs->answerFile(path);
        QTest::mouseClick(target ? ui().images.btnImage : ui().colors.btnBGImg, Qt::LeftButton);
    }
    void clear(Target target)
    {
        clickStep(target ? 3 : 2);
        QTest::mouseClick(
            target ? ui().images.btnImgClear : ui().colors.btnBGClear, Qt::LeftButton);
    }
    Shown shown() const
    {
        return {{ui().colors.txtBGImage->text(), ui().colors.txtBGImage->toolTip(),
                    ui().images.txtImage->text(), ui().images.txtImage->toolTip(),
                    ui().images.txtImageH->text(), ui().images.txtImageW->text()},
            ui().colors.imgBGImage->pixmap().cacheKey(), ui().images.imgImage->pixmap().cacheKey(),
            ui().images.imgImage->geometry(), window->pageFiles().paths()};
    }
    QSize canvas() const { return ui().images.sbImages->widget()->size(); }
    static QByteArray imageTag(const QByteArray &name, int height, int width)
    {
        return "<IMG SRC=\"" + name + "\" HEIGHT=\"" + QByteArray::number(height) + "\" WIDTH=\""
            + QByteArray::number(width) + "\" BORDER=\"0\" ALT=\"Image\">";
    }
};

TEST_F(PicturesTest, APagePictureIsMeasuredAndPlacedBySizeAndATypedSizeIsKept)
{
    const struct {
        const char *name, *format;
        QSize size;
        QRect holder; // the picture with its margin, in the scroll box's canvas
        QSize canvas;
    } cases[] = {
        {"small.jpg", "JPEG", {100, 100}, {129, 52, 100, 100}, {358, 204}},
        {"large.bmp", "BMP", {400, 300}, {10, 10, 410, 310}, {420, 320}},
        {"strip.bmp", "BMP", {600, 40}, {10, 82, 610, 40}, {620, 204}},
    };
    QStringList files;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = picture(c.name, c.size, c.format);
        choose(Page, path);
        files << path;
        files.sort(Qt::CaseInsensitive); // the page's files are kept sorted
        const FileDialogRequest &request = dialogs->pictureRequests().last();
        EXPECT_EQ(request.filter, QStringLiteral("Image Files|*.gif;*.jpeg;*.jpg;*.bmp"));
        EXPECT_EQ(request.filterIndex, 0);
        EXPECT_EQ(request.directory, appDir.filePath(QStringLiteral("Backgrounds")));
        EXPECT_TRUE(request.fileName.isEmpty());
        EXPECT_EQ(shown().texts.mid(2),
            QStringList({QLatin1String(c.name), path, QString::number(c.size.height()),
                QString::number(c.size.width())}));
        EXPECT_EQ(ui().images.imgImage->pixmap().size(), c.size);
        EXPECT_EQ(ui().images.imgImage->geometry(), c.holder);
        EXPECT_EQ(canvas(), c.canvas);
        EXPECT_EQ(window->pageFiles().paths(), files);
        // Scrolled to its far ends, the box shows 10 pixels beyond a large picture.
        QScrollBar *bars[] = {
            ui().images.sbImages->horizontalScrollBar(), ui().images.sbImages->verticalScrollBar()};
        for (QScrollBar *bar : bars) {
            EXPECT_EQ(bar->value(), 0);
            bar->setValue(bar->maximum());
        }
        const QPoint corner = ui().images.imgImage->mapTo(
            ui().images.sbImages->viewport(), QPoint(c.size.width() - 1, c.size.height() - 1));
        const QSize view = ui().images.sbImages->viewport()->size();
        if (c.size.width() > 330) {
            EXPECT_EQ(view.width() - 1 - corner.x(), 10);
        }
        if (c.size.height() > 200) {
            EXPECT_EQ(view.height() - 1 - corner.y(), 10);
        }

        const Saved saved = saveBoth();
        EXPECT_TRUE(saved.page.contains(imageTag(c.name, c.size.height(), c.size.width())));
        EXPECT_TRUE(saved.copied.contains(QLatin1String(c.name)));
        EXPECT_EQ(projectValue(saved, QStringLiteral("IMGNAME")), path);
        EXPECT_EQ(
            projectValue(saved, QStringLiteral("IMGHEIGHT")), QString::number(c.size.height()));
    }
    // A typed height goes on the page, whatever step is shown meanwhile.
    ui().images.txtImageH->selectAll();
    typeInto(ui().images.txtImageH, QStringLiteral("25"));
    clickStep(4);
    clickStep(3);
    EXPECT_EQ(ui().images.txtImageH->text(), QStringLiteral("25"));
    const Saved saved = saveBoth();
    EXPECT_TRUE(saved.page.contains(imageTag("strip.bmp", 25, 600)));
    EXPECT_EQ(projectValue(saved, QStringLiteral("IMGHEIGHT")), QStringLiteral("25"));
}

TEST_F(PicturesTest, TwoBackgroundsOneAfterTheOtherAreStretchedAndClearingTakesTheLast)
{
    const QString first = picture("first.bmp", {300, 20});
    const QString second = picture("second.jpg", {20, 400}, "JPEG");
    choose(Background, first);
    choose(Background, second);
    EXPECT_EQ(shown().texts.mid(0, 2), QStringList({QStringLiteral("second.jpg"), second}));
    EXPECT_EQ(window->pageFiles().paths(), QStringList({first, second}));
    // The whole picture, squeezed into the strip at the right end of the colour preview.
    const QRect colours = ui().colors.shpBG->geometry();
    EXPECT_EQ(
        ui().colors.imgBGImage->geometry(), QRect(colours.right() - 54, colours.top(), 54, 151));
    const QImage seen = ui().colors.imgBGImage->grab().toImage();
    const std::pair<QPoint, QColor> corners[]
        = {{{3, 3}, Qt::red}, {{50, 3}, Qt::green}, {{3, 147}, Qt::blue}, {{50, 147}, Qt::yellow}};
    for (const auto &[at, colour] : corners) {
        const QColor pixel = seen.pixelColor(at);
        EXPECT_LT(std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green())
                + std::abs(pixel.blue() - colour.blue()),
            40);
    }
    Saved saved = saveBoth();
    EXPECT_TRUE(saved.page.contains("<BODY BACKGROUND=\"second.jpg\">"));
    EXPECT_EQ(projectValue(saved, QStringLiteral("BGIMAGE")), second);
    EXPECT_EQ(
        saved.copied, QStringList({QStringLiteral("first.bmp"), QStringLiteral("second.jpg")}));

    clear(Background);
    EXPECT_EQ(shown().texts.mid(0, 2), QStringList({QString(), QString()}));
    EXPECT_TRUE(ui().colors.imgBGImage->pixmap().isNull());
    EXPECT_EQ(window->pageFiles().paths(), QStringList({first}));
    saved = saveBoth();
    EXPECT_TRUE(saved.page.contains("<BODY BACKGROUND=\"\">"));
    EXPECT_EQ(projectValue(saved, QStringLiteral("BGIMAGE")), QString());
}

TEST_F(PicturesTest, ClearingKeepsAFileThePageStillShows)
{
    enum Also { Nothing, OtherPicture, Link, TypedOnly };
    const struct {
        const char *name;
        Target cleared;
        Also also;
    } cases[] = {
        {"background alone", Background, Nothing},
        {"background also the page image", Background, OtherPicture},
        {"background also a link", Background, Link},
        {"background typed by hand", Background, TypedOnly},
        {"page image alone", Page, Nothing},
        {"page image also the background", Page, OtherPicture},
        {"page image also a link", Page, Link},
        {"page image typed by hand", Page, TypedOnly},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        createWindow();
        const QString shared = picture("shared.bmp", {400, 300});
        if (c.also == TypedOnly)
            field(c.cleared)->setText(QStringLiteral("typed.gif"));
        else
            choose(c.cleared, shared);
        if (c.also == OtherPicture)
            choose(c.cleared ? Background : Page, shared);
        if (c.also == Link)
            LinkRows::addRow(ui().links.lvLinks,
                {QStringLiteral("http://a.example/"), {}, shared, {}, {}, true});
        clear(c.cleared);

        const bool typed = c.also == TypedOnly;
        const bool kept = c.also == OtherPicture || c.also == Link;
        EXPECT_EQ(field(c.cleared)->text(), typed ? QStringLiteral("typed.gif") : QString());
        EXPECT_TRUE(field(c.cleared)->toolTip().isEmpty());
        EXPECT_EQ(window->pageFiles().contains(shared), kept);
        EXPECT_TRUE((c.cleared ? ui().images.imgImage : ui().colors.imgBGImage)->pixmap().isNull());
        if (c.cleared == Page) {
            EXPECT_EQ(ui().images.imgImage->size(), QSize(50, 50));
            EXPECT_EQ(canvas(), QSize(358, 204));
            EXPECT_EQ(shown().texts.mid(4), QStringList({QString(), QString()}));
        }
        const Saved saved = saveBoth();
        EXPECT_EQ(saved.copied.contains(QStringLiteral("shared.bmp")), kept);
        EXPECT_EQ(
            projectValue(saved, c.cleared ? QStringLiteral("IMGNAME") : QStringLiteral("BGIMAGE")),
            QString());
        EXPECT_EQ(saved.page.contains(
                      c.cleared ? "BACKGROUND=\"shared.bmp\"" : "<IMG SRC=\"shared.bmp\""),
            c.also == OtherPicture);
        if (c.cleared == Background)
            EXPECT_TRUE(
                saved.page.contains(typed ? "BACKGROUND=\"typed.gif\"" : "BACKGROUND=\"\""));
        else
            EXPECT_EQ(saved.page.contains("<IMG SRC=\"typed.gif\" HEIGHT=\"\" WIDTH=\"\""), typed);
    }
}

TEST_F(PicturesTest, APictureThatCannotBeLoadedChangesNothing)
{
    const QString cut = picture("cut.jpg", {300, 300}, "JPEG");
    ASSERT_TRUE(QFile::resize(cut, QFile(cut).size() / 2));
    // One pixel on a screen of 16385 by 16385: a gigabyte once drawn, beyond the loader's limits.
    const QString huge = writeAppFile(QStringLiteral("Backgrounds/huge.gif"),
        QByteArray("GIF89a\x01\x40\x01\x40\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                   "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
            35));
    const QString notes
        = writeAppFile(QStringLiteral("Backgrounds/notes.jpg"), "Notes, not a picture.\n");
    const QString gone = appDir.filePath(QStringLiteral("Backgrounds/gone.gif"));

    choose(Background, picture("sky.bmp", {16, 16}));
    choose(Page, picture("good.bmp", {100, 80}));
    ui().images.txtImageW->selectAll();
    typeInto(ui().images.txtImageW, QStringLiteral("77"));
    const Shown before = shown();
    for (const QString &path : {notes, cut, huge, gone}) {
        for (Target target : {Background, Page}) {
            SCOPED_TRACE(path.toStdString() + (target ? " as the page image" : " as background"));
            const qsizetype asked = dialogs->messages().size();
            dialogs->answerMessage(MessageAnswer::Ok);
            choose(target, path);
            ASSERT_EQ(dialogs->messages().size(), asked + 1);
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
    EXPECT_TRUE(saved.page.contains(imageTag("good.bmp", 80, 77)));
    EXPECT_EQ(saved.copied, QStringList({QStringLiteral("good.bmp"), QStringLiteral("sky.bmp")}));
}
