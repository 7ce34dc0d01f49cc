#include "picturedialog.h"
#include "picturepreview.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 10000;

class PicturePreviewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString picture(const char *name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QString path = dir.filePath(QLatin1String(name));
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }
    QString file(const char *name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(PicturePreviewTest, ShrinksToTheBoundAndRefusesWhatTheLoaderRefuses)
{
    struct Case {
        const char *name;
        QString path;
        QSize shown; // empty: no picture
        QSize size;
    };
    const Case cases[] = {
        {"small, not enlarged", picture("small.bmp", {40, 30}), {40, 30}, {40, 30}},
        {"wide", picture("wide.bmp", {800, 400}), {100, 50}, {800, 400}},
        {"tall", picture("tall.bmp", {300, 600}), {50, 100}, {300, 600}},
        {"not a picture", file("text.bmp", "BM but no bitmap"), {}, {}},
        {"missing", dir.filePath(QStringLiteral("gone.gif")), {}, {}},
    };
    PicturePreview preview(QSize(100, 100));
    QSignalSpy ready(&preview, &PicturePreview::ready);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ready.clear();
        preview.request(c.path);
        ASSERT_TRUE(ready.wait(kWaitMs));
        ASSERT_EQ(ready.size(), 1);
        EXPECT_EQ(ready[0][0].toString(), c.path);
        const QImage shown = ready[0][1].value<QImage>();
        EXPECT_EQ(shown.isNull() ? QSize() : shown.size(), c.shown);
        EXPECT_EQ(ready[0][2].toSize(), c.size);
    }
}

TEST_F(PicturePreviewTest, OnlyTheLastOfTheFilesAskedForWhileBusyIsDecoded)
{
    const QString first = picture("first.bmp", {2000, 1500});
    const QString skipped = picture("skipped.bmp", {20, 20});
    const QString last = picture("last.bmp", {30, 20});
    PicturePreview preview(QSize(160, 160));
    QSignalSpy ready(&preview, &PicturePreview::ready);
    // The decode of the first cannot report before the event loop runs again.
    preview.request(first);
    preview.request(skipped);
    preview.request(last);
    ASSERT_TRUE(ready.wait(kWaitMs));
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready[0][0].toString(), last);
    EXPECT_EQ(ready[0][2].toSize(), QSize(30, 20));

    // Going away in the middle of a decode waits for it rather than leaving it running.
    auto busy = std::make_unique<PicturePreview>(QSize(160, 160));
    busy->request(first);
    busy.reset();
}

TEST_F(PicturePreviewTest, TheDialogPreviewsThePictureUnderTheCursor)
{
    const QString photo = picture("photo.bmp", {800, 400});
    const QString text = file("notes.txt", "not a picture");
    PictureDialog dialog;
    dialog.setDirectory(dir.path());
    auto *preview = dialog.findChild<QLabel *>(QStringLiteral("imgPreview"));
    auto *size = dialog.findChild<QLabel *>(QStringLiteral("lblPreviewSize"));
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(size, nullptr);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));

    // The picture is decoded away from the dialog's thread: moving the cursor returns at once,
    // and the preview comes when the event loop runs again.
    emit dialog.currentChanged(photo);
    EXPECT_TRUE(preview->pixmap().isNull());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->pixmap().isNull(); }, kWaitMs));
    EXPECT_EQ(size->text(), QStringLiteral("800 x 400"));
    const QSize inside = preview->contentsRect().size();
    EXPECT_EQ(preview->pixmap().size(), QSize(inside.width(), inside.width() / 2));

    // A file that is no picture, or a folder, shows nothing.
    PicturePreview *decoder = dialog.findChild<PicturePreview *>();
    ASSERT_NE(decoder, nullptr);
    QSignalSpy ready(decoder, &PicturePreview::ready);
    emit dialog.currentChanged(text);
    EXPECT_TRUE(preview->pixmap().isNull());
    EXPECT_TRUE(size->text().isEmpty());
    ASSERT_TRUE(ready.wait(kWaitMs));
    EXPECT_TRUE(preview->pixmap().isNull());

    // A picture decoded after the cursor has moved on to a folder is not shown.
    ready.clear();
    emit dialog.currentChanged(photo);
    emit dialog.currentChanged(dir.path());
    ASSERT_TRUE(ready.wait(kWaitMs));
    EXPECT_TRUE(preview->pixmap().isNull());
    EXPECT_TRUE(size->text().isEmpty());
}
