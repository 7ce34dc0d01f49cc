#include "wizardfixture.h"

#include "textstep.h"
#include "uibuilder.h"
#include "updown.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

class TextTest : public WizardTest {
protected:
    QPlainTextEdit *text() const { return ui().text.txtText; }
    // As the user does: opens the menu under its button and clicks the item.
    void clickMenuItem(QAction *item)
    {
        QTest::mouseClick(ui().text.btnTextKMask, Qt::LeftButton);
        item->trigger();
        ui().text.popKeyMask->hide();
    }
    void runFonts(const std::function<void(QDialog &)> &script)
    {
        dialogs->answerDialog(script);
        QTest::mouseClick(ui().text.btnFonts, Qt::LeftButton);
    }
};

TEST_F(TextTest, TagButtonsWrapTheSelectionInOneUndoStep)
{
    using Button = QToolButton *TextControls::*;
    struct Case {
        const char *name;
        const char *content;
        int anchor, caret;
        Button button;
        const char *result;
        int caretAfter;
    };
    const Case cases[] = {
        {"bold, nothing selected", "ab", 1, 1, &TextControls::btnBold, "a<B></B>b", 4},
        {"bold on a word", "say hi now", 4, 6, &TextControls::btnBold, "say <B>hi</B> now", 13},
        {"italic over two lines", "one\ntwo", 2, 5, &TextControls::btnItalic, "on<I>e\nt</I>wo",
            12},
        {"underline, selected backwards", "abc", 3, 0, &TextControls::btnUnderline, "<U>abc</U>",
            10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        putText(text(), QString::fromLatin1(c.content), c.anchor, c.caret);
        ui().start.txtPageTitle->setFocus();
        QTest::mouseClick(ui().text.*c.button, Qt::LeftButton);
        EXPECT_EQ(text()->toPlainText(), QString::fromLatin1(c.result));
        EXPECT_EQ(text()->textCursor().position(), c.caretAfter);
        EXPECT_FALSE(text()->textCursor().hasSelection());
        EXPECT_TRUE(text()->hasFocus());
        text()->undo();
        EXPECT_EQ(text()->toPlainText(), QString::fromLatin1(c.content));
        EXPECT_FALSE(text()->document()->isUndoAvailable());
    }
}

TEST_F(TextTest, BoldLeavesAPictureOnTheClipboard)
{
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::green);
    auto *data = new QMimeData;
    data->setImageData(picture);
    QGuiApplication::clipboard()->setMimeData(data);
    const QStringList formats = QGuiApplication::clipboard()->mimeData()->formats();

    putText(text(), QStringLiteral("word"), 0, 4);
    QTest::mouseClick(ui().text.btnBold, Qt::LeftButton);
    EXPECT_EQ(text()->toPlainText(), QStringLiteral("<B>word</B>"));
    const QMimeData *after = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->formats(), formats);
    EXPECT_FALSE(after->hasText());
    EXPECT_EQ(
        qvariant_cast<QImage>(after->imageData()).convertToFormat(QImage::Format_RGB32), picture);
}

TEST_F(TextTest, TheKeyMaskPutsItsTagBeforeTheBoxsOwnLineBreak)
{
    struct Case {
        const char *name;
        std::vector<QAction * TextControls::*> clicks;
        bool mask, single, twoLines;
        const char *result;
    };
    const Case cases[] = {
        {"at start", {}, false, true, false, "one\ntwo"},
        {"line items locked while off", {&TextControls::mnuTextDouble}, false, true, false,
            "one\ntwo"},
        {"single line", {&TextControls::mnuTextMask}, true, true, false, "one\n<BR>\ntwo"},
        {"two lines", {&TextControls::mnuTextMask, &TextControls::mnuTextDouble}, true, false, true,
            "one\n<P>\ntwo"},
        {"single unticked", {&TextControls::mnuTextMask, &TextControls::mnuTextSingle}, true, false,
            false, "one\ntwo"},
        {"two lines unticked",
            {&TextControls::mnuTextMask, &TextControls::mnuTextDouble,
                &TextControls::mnuTextDouble},
            true, false, false, "one\ntwo"},
        {"off again",
            {&TextControls::mnuTextMask, &TextControls::mnuTextDouble, &TextControls::mnuTextMask},
            false, false, true, "one\ntwo"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        createWindow();
        for (QAction *TextControls::*item : c.clicks)
            clickMenuItem(ui().text.*item);
        QTest::mouseClick(ui().text.btnTextKMask, Qt::LeftButton);
        ASSERT_TRUE(ui().text.popKeyMask->isVisible());
        EXPECT_EQ(ui().text.popKeyMask->pos(), ui().text.btnTextKMask->mapToGlobal(QPoint(4, 26)));
        EXPECT_EQ(ui().text.mnuTextMask->isChecked(), c.mask);
        EXPECT_EQ(ui().text.mnuTextSingle->isChecked(), c.single);
        EXPECT_EQ(ui().text.mnuTextDouble->isChecked(), c.twoLines);
        EXPECT_EQ(ui().text.mnuTextSingle->isEnabled(), c.mask);
        EXPECT_EQ(ui().text.mnuTextDouble->isEnabled(), c.mask);
        ui().text.popKeyMask->hide();

        typeInto(text(), QStringLiteral("one"));
        QTest::keyClick(text(), Qt::Key_Return);
        QTest::keyClicks(text(), QStringLiteral("two"));
        EXPECT_EQ(text()->toPlainText(), QString::fromLatin1(c.result));
    }

    // A selection is not replaced: it follows the tag.
    clickMenuItem(ui().text.mnuTextMask);
    putText(text(), QStringLiteral("a sel b"), 2, 5);
    QTest::keyClick(text(), Qt::Key_Enter);
    EXPECT_EQ(text()->toPlainText(), QStringLiteral("a \n<P>sel\n b"));
}

TEST_F(TextTest, ImportPutsTheFilesLinesInPlaceOfTheSelection)
{
    struct Case {
        const char *name;
        QByteArray content;
        bool bullets;
        int option;
        const char *inserted; // empty: the file is refused
    };
    const Case cases[] = {
        {"page text with breaks", "first\r\nsecond", false, 1, "first<BR>\nsecond<BR>\n"},
        {"page text without", "first\r\nsecond", false, 0, "first\nsecond\n"},
        {"bullets never take breaks", "first\nsecond\n", true, 1, "first\nsecond\n"},
        {"Windows-1252", "caf\xE9", false, 0, "caf\u00E9\n"},
        {"binary", QByteArray("GIF89a\0\0", 8), false, 0, ""},
        {"no encoding's text", "\x81\x8D", true, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ui::setTag(text(), c.option);
        putText(text(), QStringLiteral("[text]"), 1, 5);
        putText(ui().bullets.txtBullets, QStringLiteral("[items]"), 1, 6);
        const QString file = writeAppFile(QStringLiteral("import.txt"), c.content);
        dialogs->answerFile(file);
        const bool refused = QByteArray(c.inserted).isEmpty();
        if (refused)
            dialogs->answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(
            c.bullets ? ui().bullets.btnBulletImport : ui().text.btnTextImport, Qt::LeftButton);

        const FileDialogRequest &request = dialogs->fileRequests().last();
        EXPECT_EQ(request.title, QStringLiteral("Import Text File"));
        EXPECT_EQ(request.filter, QStringLiteral("Text Files|*.txt|All Files|*.*"));
        EXPECT_EQ(request.filterIndex, 0);
        const QString inserted = QString::fromUtf8(c.inserted);
        const QString page = c.bullets || refused ? QStringLiteral("[text]")
                                                  : QLatin1Char('[') + inserted + QLatin1Char(']');
        const QString items = !c.bullets || refused
            ? QStringLiteral("[items]")
            : QLatin1Char('[') + inserted + QLatin1Char(']');
        EXPECT_EQ(text()->toPlainText(), page);
        EXPECT_EQ(ui().bullets.txtBullets->toPlainText(), items);
        if (refused) {
            ASSERT_FALSE(dialogs->messages().isEmpty());
            EXPECT_EQ(dialogs->messages().last().kind, MessageKind::Error);
            EXPECT_EQ(dialogs->messages().last().text, QStringLiteral("Error opening file."));
        }
    }

    // A file that cannot be read, and a cancelled dialog.
    dialogs->answerFile(appDir.filePath(QStringLiteral("missing.txt")));
    dialogs->answerMessage(MessageAnswer::Ok);
    QTest::mouseClick(ui().text.btnTextImport, Qt::LeftButton);
    dialogs->answerFile(QString());
    QTest::mouseClick(ui().bullets.btnBulletImport, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 3);
    EXPECT_EQ(text()->toPlainText(), QStringLiteral("[text]"));
}

TEST_F(TextTest, TheMarginFieldFollowsItsBoxAndKeepsItsValue)
{
    ui().start.txtIndent->setText(QStringLiteral("75"));
    for (const bool on : {true, false, true}) {
        SCOPED_TRACE(on);
        QTest::mouseClick(ui().start.chkIndent, Qt::LeftButton, {}, QPoint(4, 10));
        EXPECT_EQ(ui().start.chkIndent->isChecked(), on);
        EXPECT_EQ(ui().start.txtIndent->isEnabled(), on);
        EXPECT_EQ(ui().start.upDown->isEnabled(), on);
        EXPECT_EQ(ui().start.txtIndent->text(), QStringLiteral("75"));
    }
}

TEST_F(TextTest, WordWrapDecidesTheHorizontalBar)
{
    clickStep(5);
    text()->setPlainText(QString(400, QLatin1Char('x')));
    for (const bool wrap : {false, true}) {
        SCOPED_TRACE(wrap);
        window->text().setWordWrap(wrap);
        QApplication::processEvents();
        EXPECT_EQ(text()->horizontalScrollBar()->isVisible(), !wrap);
        EXPECT_TRUE(text()->verticalScrollBar()->isVisible());
    }
}

TEST_F(TextTest, FontsBuildsTheFontElementInItsOrder)
{
    struct Case {
        const char *name;
        const char *face;
        int color;
        const char *size;
        const char *result;
    };
    const Case cases[] = {
        {"face, colour and size", "Arial", 13, "3",
            "<FONT FACE=\"Arial\" COLOR=\"#FF0000\" SIZE=\"3\">hi</FONT>"},
        {"size only", "", 0, "+2", "<FONT SIZE=\"+2\">hi</FONT>"},
        {"colour only", "", 2, "", "<FONT COLOR=\"#00FFFF\">hi</FONT>"},
        {"any typed face", "My Face", 0, "", "<FONT FACE=\"My Face\">hi</FONT>"},
        {"nothing chosen", "", 0, "", "hi"},
        {"custom, cancelled", "", 1, "", "<FONT COLOR=\"#808080\">hi</FONT>"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        putText(text(), QStringLiteral("hi"), 0, 2);
        runFonts([&](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Fonts"));
            auto *ok = child<QPushButton>(dialog, "btnOK");
            EXPECT_TRUE(ok->isEnabled() && ok->isDefault());
            EXPECT_TRUE(child<QWidget>(dialog, "pnlFonts")->isVisible());
            EXPECT_FALSE(child<QLineEdit>(dialog, "txtAddress")->isVisible());
            auto *faces = child<QComboBox>(dialog, "cbFonts");
            // Faces as a page names them: no "[foundry]" a browser would not know.
            EXPECT_GE(faces->findText(QStringLiteral("Liberation Sans")), 0);
            for (int i = 0; i < faces->count(); ++i)
                EXPECT_FALSE(faces->itemText(i).contains(QLatin1String(" ["))) << i;
            EXPECT_TRUE(faces->currentText().isEmpty());
            auto *colors = child<QComboBox>(dialog, "cbColor");
            ASSERT_EQ(colors->count(), 18);
            EXPECT_EQ(colors->currentIndex(), 0);
            EXPECT_EQ(colors->itemText(0), QStringLiteral("None"));
            EXPECT_EQ(colors->itemText(1), QStringLiteral("Custom..."));
            EXPECT_EQ(colors->itemText(17), QStringLiteral("Yellow"));
            auto *sizes = child<QComboBox>(dialog, "cbSize");
            EXPECT_EQ(sizes->itemText(7), QStringLiteral("+1"));
            EXPECT_TRUE(sizes->currentText().isEmpty());

            QTest::keyClicks(faces->lineEdit(), QLatin1String(c.face));
            if (c.color == 1)
                dialogs->answerColor(std::nullopt);
            colors->setCurrentIndex(c.color);
            emit colors->activated(c.color);
            QTest::keyClicks(sizes->lineEdit(), QLatin1String(c.size));
            click(dialog, "btnOK");
        });
        EXPECT_EQ(text()->toPlainText(), QString::fromLatin1(c.result));
    }
}

TEST_F(TextTest, ACustomFontColourComesFromTheSharedColourDialog)
{
    const QColor chosen(0x12, 0x34, 0x56);
    for (const char *expected : {"<FONT COLOR=\"#123456\"></FONT>", ""}) {
        text()->clear();
        runFonts([&](QDialog &dialog) {
            auto *colors = child<QComboBox>(dialog, "cbColor");
            dialogs->answerColor(chosen);
            colors->setCurrentIndex(1);
            emit colors->activated(1);
            EXPECT_EQ(colors->currentIndex(), 1);
            // The second time, Cancel leaves the dialog and the text as they were.
            click(dialog, QByteArray(expected).isEmpty() ? "btnCancel" : "btnOK");
        });
        EXPECT_EQ(text()->toPlainText(), QString::fromLatin1(expected));
    }
    // The dialog opened on white and then on the colour it gave last.
    EXPECT_EQ(dialogs->colorRequests(), QList<QColor>({QColor(Qt::white), chosen}));
}
