#include "wizardfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class GalleryTest : public WizardTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(appDir.isValid());
        ASSERT_TRUE(QDir(appDir.path()).mkdir(QStringLiteral("Templates")));
    }
    QString templatePath(const QString &name) const
    {
        return appDir.path() + QStringLiteral("/Templates/") + name;
    }
    void write(const QString &name, const QByteArray &content = "<HTML></BODY>")
    {
        QFile file(templatePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void picture(const QString &name, const QColor &color)
    {
        QImage image(30, 40, QImage::Format_RGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(templatePath(name), "BMP"));
    }
    void choose(int index)
    {
        ui().start.cbStyles->setCurrentIndex(index);
        emit ui().start.cbStyles->activated(index);
    }
    bool previewShows() const { return !ui().start.imgStyles->pixmap().isNull(); }
    QColor previewColor() const
    {
        return ui().start.imgStyles->pixmap().toImage().pixelColor(5, 5);
    }
};

TEST_F(GalleryTest, StartsOnTheFirstTemplateWithItsPicture)
{
    for (const char *name : {"Simple.html", "business.html", "Zebra.html", "Old.HTML", "notes.htm"})
        write(QLatin1String(name));
    picture(QStringLiteral("BUSINESS.BMP"), Qt::red);
    createWindow();

    QStringList listed;
    for (int i = 0; i < ui().start.cbStyles->count(); ++i)
        listed << ui().start.cbStyles->itemText(i);
    EXPECT_EQ(listed,
        QStringList({QStringLiteral("business"), QStringLiteral("Old"), QStringLiteral("Simple"),
            QStringLiteral("Zebra")}));
    EXPECT_EQ(ui().start.cbStyles->currentIndex(), 0);
    ASSERT_TRUE(previewShows());
    EXPECT_EQ(previewColor(), QColor(Qt::red));
    EXPECT_EQ(ui().start.imgStyles->size(), QSize(75, 95));
    EXPECT_TRUE(ui().start.imgStyles->hasScaledContents());
    EXPECT_TRUE(ui().save.btnSave->isEnabled());
    EXPECT_FALSE(window->isModified());
}

TEST_F(GalleryTest, ChoosingATemplateShowsItsPictureOrTheCaption)
{
    write(QStringLiteral("A.html"));
    write(QStringLiteral("B.html"));
    write(QStringLiteral("C.html"));
    picture(QStringLiteral("a.bmp"), Qt::blue);
    write(QStringLiteral("C.bmp"), "not a picture");
    createWindow();
    ASSERT_TRUE(previewShows());

    // A picture that cannot be read leaves the preview as it was.
    choose(2);
    ASSERT_TRUE(previewShows());
    EXPECT_EQ(previewColor(), QColor(Qt::blue));

    choose(1);
    EXPECT_FALSE(previewShows());
    EXPECT_TRUE(ui().start.lblStyles4->isVisible());
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(ui().save.btnSave->isEnabled());

    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    EXPECT_EQ(ui().start.cbStyles->currentIndex(), -1);
    EXPECT_FALSE(ui().save.btnSave->isEnabled());
    EXPECT_EQ(ui().start.cbStyles->count(), 3);

    choose(0);
    EXPECT_TRUE(previewShows());
    EXPECT_TRUE(ui().save.btnSave->isEnabled());
}
