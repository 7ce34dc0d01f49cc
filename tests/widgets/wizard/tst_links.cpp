#include "linkrows.h"
#include "wizardfixture.h"

#include "linksstep.h"
#include "pagefilelist.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QThreadPool>
#include <QToolButton>
#include <QTreeWidget>

namespace {

LinkRow link(const QString &address, const QString &image = {}, bool checked = true)
{
    return {address, address + QStringLiteral(" text"), image,
        image.isEmpty() ? QString() : QStringLiteral("31"),
        image.isEmpty() ? QString() : QStringLiteral("88"), checked};
}

} // namespace

class LinksTest : public WizardTest {
protected:
    QTreeWidget *list() const { return ui().links.lvLinks; }
    QTreeWidgetItem *row(int index) const { return list()->topLevelItem(index); }
    void add(const LinkRow &row) { LinkRows::addRow(list(), row); }
    void select(int index)
    {
        list()->setCurrentItem(row(index));
        row(index)->setSelected(true);
    }
    QStringList addresses() const
    {
        QStringList result;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            result << row(i)->text(0);
        return result;
    }
    // Waits, in the event loop, until the dialog's links have been read.
    static void waitForReading(QDialog &dialog)
    {
        const QToolButton *button = child<QToolButton>(dialog, "btnLinkFile");
        EXPECT_TRUE(QTest::qWaitFor([button] { return button->isEnabled(); }, 20000));
    }
    QString picture(const char *name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = appDir.filePath(QLatin1String(name));
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }
};

TEST_F(LinksTest, ButtonsAndMenuItemsFollowTheSelectedRow)
{
    struct Case {
        const char *name;
        int rows;
        int selected; // -1: none
        bool editDelete, up, down;
    };
    const Case cases[] = {
        {"empty list", 0, -1, false, false, false},
        {"none selected", 3, -1, false, false, false},
        {"first", 3, 0, true, false, true},
        {"middle", 3, 1, true, true, true},
        {"last", 3, 2, true, true, false},
        {"only", 1, 0, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        list()->clear();
        for (int i = 0; i < c.rows; ++i)
            add(link(QStringLiteral("http://%1.example/").arg(i)));
        list()->clearSelection();
        if (c.selected >= 0)
            select(c.selected);
        window->links().lvLinksClick();
        EXPECT_TRUE(ui().links.btnLinkNew->isEnabled());
        const std::pair<QToolButton *, QAction *> pairs[]
            = {{ui().links.btnLinkEdit, ui().links.mnuEdit},
                {ui().links.btnLinkDel, ui().links.mnuDelete},
                {ui().links.btnMoveUp, ui().links.mnuMoveUp},
                {ui().links.btnMoveDown, ui().links.mnuMoveDown}};
        const bool expected[] = {c.editDelete, c.editDelete, c.up, c.down};
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(pairs[i].first->isEnabled(), expected[i])
                << pairs[i].first->objectName().toStdString();
            EXPECT_EQ(pairs[i].second->isEnabled(), expected[i])
                << pairs[i].second->objectName().toStdString();
        }
    }
    // Enter and Delete in a list without a selected row do nothing.
    list()->clearSelection();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Delete);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_TRUE(dialogs->dialogsRun().isEmpty());
}

TEST_F(LinksTest, TheContextMenuOffersTheSameActions)
{
    add(link(QStringLiteral("http://a.example/")));
    add(link(QStringLiteral("http://b.example/")));
    select(1);
    emit list()->customContextMenuRequested(QPoint(5, 5));
    ASSERT_TRUE(ui().links.mnuLV->isVisible());
    EXPECT_EQ(ui().links.mnuLV->defaultAction(), ui().links.mnuEdit);
    QStringList items;
    for (const QAction *action : ui().links.mnuLV->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items.join(QLatin1Char(',')),
        QStringLiteral("&Edit...,-,Move &Up,Move Do&wn,&Delete,-,&Cancel"));
    EXPECT_TRUE(ui().links.mnuMoveUp->isEnabled());
    EXPECT_FALSE(ui().links.mnuMoveDown->isEnabled());
    ui().links.mnuMoveUp->trigger();
    ui().links.mnuLV->hide();
    EXPECT_EQ(addresses(),
        QStringList({QStringLiteral("http://b.example/"), QStringLiteral("http://a.example/")}));
}

TEST_F(LinksTest, MovingSwapsTheLinksButTheCheckMarksStay)
{
    add(link(QStringLiteral("http://ticked.example/"), {}, true));
    add(link(QStringLiteral("http://plain.example/"), {}, false));
    select(0);
    QTest::mouseClick(ui().links.btnMoveDown, Qt::LeftButton);
    EXPECT_EQ(addresses(),
        QStringList(
            {QStringLiteral("http://plain.example/"), QStringLiteral("http://ticked.example/")}));
    EXPECT_EQ(row(0)->text(1), QStringLiteral("http://plain.example/ text"));
    EXPECT_EQ(row(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(row(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(list()->currentItem(), row(1));
    EXPECT_TRUE(row(1)->isSelected());
    EXPECT_TRUE(ui().links.btnMoveUp->isEnabled());
    EXPECT_FALSE(ui().links.btnMoveDown->isEnabled());
    EXPECT_TRUE(window->isModified());

    QTest::mouseClick(ui().links.btnMoveUp, Qt::LeftButton);
    EXPECT_EQ(row(0)->text(0), QStringLiteral("http://ticked.example/"));
    EXPECT_EQ(row(0)->checkState(0), Qt::Checked);
}

TEST_F(LinksTest, ACheckMarkMarksThePageChanged)
{
    add(link(QStringLiteral("http://a.example/"), {}, false));
    window->setModified(false); // as after a save
    EXPECT_FALSE(window->isModified());
    row(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(window->isModified());
}

TEST_F(LinksTest, DeletingAsksAndKeepsPicturesThePageStillUses)
{
    const QString shared = picture("shared.bmp", QSize(8, 8));
    const QString own = picture("own.bmp", QSize(8, 8));
    add(link(QStringLiteral("http://a.example/"), shared));
    add(link(QStringLiteral("http://b.example/"), shared));
    add(link(QStringLiteral("http://c.example/"), own));
    for (const QString &path : {shared, own})
        window->pageFiles().add(path);

    select(0);
    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().links.btnLinkDel, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Delete Selected Link?"));
    EXPECT_EQ(dialogs->messages()[0].buttons, ButtonSet::YesNo);
    EXPECT_EQ(list()->topLevelItemCount(), 3);

    // The Delete key asks the same; the other link still shows the shared picture.
    dialogs->answerMessage(MessageAnswer::Yes);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(addresses(),
        QStringList({QStringLiteral("http://b.example/"), QStringLiteral("http://c.example/")}));
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    EXPECT_FALSE(ui().links.btnLinkDel->isEnabled());
    EXPECT_TRUE(window->pageFiles().contains(shared));

    select(1);
    dialogs->answerMessage(MessageAnswer::Yes);
    QTest::mouseClick(ui().links.btnLinkDel, Qt::LeftButton);
    EXPECT_FALSE(window->pageFiles().contains(own));

    // A picture the background also shows stays when its last link goes.
    ui().colors.txtBGImage->setText(QStringLiteral("shared.bmp"));
    ui().colors.txtBGImage->setToolTip(shared);
    select(0);
    dialogs->answerMessage(MessageAnswer::Yes);
    QTest::mouseClick(ui().links.btnLinkDel, Qt::LeftButton);
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_TRUE(window->pageFiles().contains(shared));
}

TEST_F(LinksTest, ImageLinksCannotStayInADropBox)
{
    const QString image = picture("button.bmp", QSize(20, 10));
    add(link(QStringLiteral("http://a.example/"), image, false));

    // An unticked image link does not count.
    ui().links.cbLinks->setCurrentIndex(1);
    emit ui().links.cbLinks->activated(1);
    typeInto(ui().text.txtText, QStringLiteral("a"));
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 1);

    // Ticking alone checks nothing; the next change of the page does.
    row(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    dialogs->answerMessage(MessageAnswer::Ok);
    typeInto(ui().text.txtText, QStringLiteral("b"));
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(dialogs->messages()[0].text,
        QStringLiteral("You cannot implement any Image Links when Drop Box Style is selected."));
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 0);

    // Choosing the style box with a ticked image link warns at once.
    dialogs->answerMessage(MessageAnswer::Ok);
    ui().links.cbLinks->setCurrentIndex(1);
    emit ui().links.cbLinks->activated(1);
    EXPECT_EQ(dialogs->messages().size(), 2);
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 0);

    // Choosing a picture in the link editor warns too, and the picture stays chosen.
    ui().links.cbLinks->setCurrentIndex(1);
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(image);
        dialogs->answerMessage(MessageAnswer::Ok);
        click(dialog, "btnImageLink");
        EXPECT_EQ(child<QLineEdit>(dialog, "txtImage")->text(), image);
        click(dialog, "btnOK");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 3);
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 0);
    EXPECT_EQ(dialogs->fileRequests().last().filter,
        QStringLiteral("Image Files|*.gif;*.jpeg;*.jpg;*.bmp"));
    EXPECT_EQ(dialogs->fileRequests().last().directory, appDir.path() + QStringLiteral("/Buttons"));
    ASSERT_EQ(list()->topLevelItemCount(), 2);
    EXPECT_EQ(row(1)->text(3), QStringLiteral("10"));
    EXPECT_EQ(row(1)->text(4), QStringLiteral("20"));
}

TEST_F(LinksTest, NewAndEditKeepOneMailPrefix)
{
    struct Case {
        const char *name;
        const char *typed;
        bool email;
        const char *stored;
    };
    const Case newCases[] = {
        {"web address", "http://a.example/", false, "http://a.example/"},
        {"mailbox", "me@a.example", true, "MAILTO:me@a.example"},
        {"typed prefix", "mailto:me@a.example", true, "mailto:me@a.example"},
        {"typed prefix, box not ticked", "MAILTO:me@a.example", false, "MAILTO:me@a.example"},
    };
    for (const Case &c : newCases) {
        SCOPED_TRACE(c.name);
        dialogs->answerDialog([&](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add New Link"));
            EXPECT_FALSE(child<QPushButton>(dialog, "btnOK")->isEnabled());
            EXPECT_TRUE(child<QPushButton>(dialog, "btnOK")->isDefault());
            EXPECT_FALSE(child<QPushButton>(dialog, "btnEdit")->isVisible());
            QTest::keyClicks(child<QLineEdit>(dialog, "txtAddress"), QLatin1String(c.typed));
            QTest::keyClicks(child<QLineEdit>(dialog, "txtDescription"), QStringLiteral("Me"));
            child<QCheckBox>(dialog, "chkEmail")->setChecked(c.email);
            click(dialog, "btnOK");
        });
        QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
        QTreeWidgetItem *added = row(list()->topLevelItemCount() - 1);
        EXPECT_EQ(added->text(0), QLatin1String(c.stored));
        EXPECT_EQ(added->checkState(0), Qt::Checked);
        EXPECT_TRUE(added->isSelected());
        EXPECT_EQ(list()->currentItem(), added);
        EXPECT_TRUE(ui().links.btnLinkEdit->isEnabled());
        EXPECT_TRUE(added->text(2).isEmpty());
        EXPECT_TRUE(added->text(3).isEmpty());
    }

    const Case editCases[] = {
        {"untick drops the prefix", "MAILTO:me@a.example", false, "me@a.example"},
        {"lower-case prefix dropped", "mailto:me@a.example", false, "me@a.example"},
        {"tick adds it", "me@a.example", true, "MAILTO:me@a.example"},
        {"tick keeps a typed one", "mailto:me@a.example", true, "mailto:me@a.example"},
        {"a web address stays", "http://a.example/?to=MAILTO:x", false,
            "http://a.example/?to=MAILTO:x"},
    };
    for (const Case &c : editCases) {
        SCOPED_TRACE(c.name);
        list()->clear();
        add(link(QLatin1String(c.typed), {}, false));
        select(0);
        dialogs->answerDialog([&](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit Link"));
            EXPECT_EQ(child<QLineEdit>(dialog, "txtAddress")->text(), QLatin1String(c.typed));
            QPushButton *edit = child<QPushButton>(dialog, "btnEdit");
            EXPECT_TRUE(edit->isVisible() && edit->isEnabled() && edit->isDefault());
            EXPECT_FALSE(child<QPushButton>(dialog, "btnOK")->isVisible());
            child<QCheckBox>(dialog, "chkEmail")->setChecked(c.email);
            click(dialog, "btnEdit");
        });
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Return);
        EXPECT_EQ(row(0)->text(0), QLatin1String(c.stored));
        EXPECT_EQ(row(0)->checkState(0), Qt::Unchecked); // an edit leaves the check mark
    }
}

TEST_F(LinksTest, CancelChangesNothingButAPictureThatCannotBeReadKeepsTheSize)
{
    dialogs->answerDialog([](QDialog &dialog) {
        QTest::keyClicks(child<QLineEdit>(dialog, "txtAddress"), QStringLiteral("http://x/"));
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    EXPECT_EQ(list()->topLevelItemCount(), 0);

    // A fresh dialog measures 16 by 16; an edited row keeps its stored size.
    const QString broken = appDir.filePath(QStringLiteral("broken.gif"));
    writeAppFile(QStringLiteral("broken.gif"), "GIF89a not really");
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(broken);
        click(dialog, "btnImageLink");
        click(dialog, "btnOK");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    ASSERT_EQ(list()->topLevelItemCount(), 1);
    EXPECT_EQ(row(0)->text(2), broken);
    EXPECT_EQ(row(0)->text(3), QStringLiteral("16"));
    EXPECT_EQ(row(0)->text(4), QStringLiteral("16"));
    EXPECT_TRUE(window->pageFiles().contains(broken));

    row(0)->setText(3, QStringLiteral("40"));
    row(0)->setText(4, QStringLiteral("50"));
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(broken);
        click(dialog, "btnImageLink");
        EXPECT_EQ(dialogs->fileRequests().last().directory, appDir.path());
        EXPECT_EQ(dialogs->fileRequests().last().fileName, QStringLiteral("broken.gif"));
        click(dialog, "btnEdit");
    });
    select(0);
    QTest::mouseClick(ui().links.btnLinkEdit, Qt::LeftButton);
    EXPECT_EQ(row(0)->text(3), QStringLiteral("40"));
    EXPECT_EQ(row(0)->text(4), QStringLiteral("50"));
}

TEST_F(LinksTest, ClearingAnEditedLinksPictureReleasesItOnlyWhenUnused)
{
    const QString image = picture("edit.bmp", QSize(4, 4));
    add(link(QStringLiteral("http://a.example/"), image));
    window->pageFiles().add(image);

    // Cleared, then cancelled: the row still shows it, so the page keeps it.
    dialogs->answerDialog([](QDialog &dialog) {
        click(dialog, "btnImageClear");
        click(dialog, "btnCancel");
    });
    select(0);
    QTest::mouseClick(ui().links.btnLinkEdit, Qt::LeftButton);
    EXPECT_EQ(row(0)->text(2), image);
    EXPECT_TRUE(window->pageFiles().contains(image));

    dialogs->answerDialog([](QDialog &dialog) {
        click(dialog, "btnImageClear");
        click(dialog, "btnEdit");
    });
    QTest::mouseClick(ui().links.btnLinkEdit, Qt::LeftButton);
    EXPECT_TRUE(row(0)->text(2).isEmpty());
    EXPECT_TRUE(row(0)->text(3).isEmpty());
    EXPECT_FALSE(window->pageFiles().contains(image));
}

TEST_F(LinksTest, AddressesComeFromDocumentsAndTheLinksInThem)
{
    const QString page = writeAppFile(QStringLiteral("web/index.html"),
        "<a HREF=\"http://b.example/\">b</a> <A href='http://a.example/'>a</A>\n"
        "<a href=\"http://b.example/\">again</a>\n");
    dialogs->answerDialog([&](QDialog &dialog) {
        const int height = dialog.height();
        dialogs->answerFile(page);
        click(dialog, "btnLinkOpen");
        EXPECT_EQ(child<QLineEdit>(dialog, "txtAddress")->text(), QStringLiteral("index.html"));
        EXPECT_EQ(dialogs->fileRequests().last().filter,
            QStringLiteral("Web Documents|*.htm;*.html;*.shtm;*.shtml;*.txt|All Files|*.*"));

        // A file that cannot be read says so and leaves the dialog as it was.
        dialogs->answerFile(appDir.filePath(QStringLiteral("missing.html")));
        dialogs->answerMessage(MessageAnswer::Ok);
        click(dialog, "btnLinkFile");
        waitForReading(dialog);
        ASSERT_FALSE(dialogs->messages().isEmpty());
        EXPECT_EQ(dialogs->messages().last().kind, MessageKind::Error);
        EXPECT_EQ(dialog.height(), height);

        dialogs->answerFile(page);
        click(dialog, "btnLinkFile");
        waitForReading(dialog);
        QListWidget *found = child<QListWidget>(dialog, "lstLinks");
        ASSERT_EQ(found->count(), 2);
        EXPECT_EQ(found->item(0)->text(), QStringLiteral("http://a.example/"));
        EXPECT_EQ(found->item(1)->text(), QStringLiteral("http://b.example/"));
        EXPECT_EQ(child<QLabel>(dialog, "lblLink0")->text(),
            QStringLiteral("Available &Links in Document - index.html"));
        EXPECT_GT(dialog.height(), height);
        EXPECT_TRUE(found->isVisible());

        found->setCurrentRow(1);
        emit found->itemDoubleClicked(found->item(1));
        EXPECT_EQ(
            child<QLineEdit>(dialog, "txtAddress")->text(), QStringLiteral("http://b.example/"));
        QTest::keyClicks(child<QLineEdit>(dialog, "txtDescription"), QStringLiteral("B"));
        click(dialog, "btnOK");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    EXPECT_EQ(addresses(), QStringList({QStringLiteral("http://b.example/")}));
}

TEST_F(LinksTest, AFavoriteGivesItsAddress)
{
    const QString favorite = writeAppFile(QStringLiteral("fav/site.url"),
        "[DEFAULT]\r\nBASEURL=http://x.example/\r\n[InternetShortcut]\r\nURL=http://fav.example/"
        "\r\n");
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(favorite);
        click(dialog, "btnIE");
        EXPECT_EQ(dialogs->fileRequests().last().filter,
            QStringLiteral("Internet Shortcuts|*.url;*.desktop"));
        EXPECT_EQ(
            child<QLineEdit>(dialog, "txtAddress")->text(), QStringLiteral("http://fav.example/"));
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
}

TEST_F(LinksTest, BookmarksComeFromTheRecordedFileOrTheBrowsers)
{
    const QDir home(QDir::homePath());
    const auto listed = [this](const QString &caption) {
        QStringList addresses;
        dialogs->answerDialog([&](QDialog &dialog) {
            click(dialog, "btnNetscape");
            waitForReading(dialog);
            const QListWidget *found = child<QListWidget>(dialog, "lstLinks");
            for (int i = 0; i < found->count(); ++i)
                addresses << found->item(i)->text();
            EXPECT_EQ(child<QLabel>(dialog, "lblLink0")->text(),
                QStringLiteral("Available &Links in Document - ") + caption);
            click(dialog, "btnCancel");
        });
        QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
        return addresses;
    };

    // No browser and no recorded file: the button browses for a document.
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(appDir.filePath(QStringLiteral("other.html")));
        click(dialog, "btnNetscape");
        EXPECT_EQ(child<QLineEdit>(dialog, "txtAddress")->text(), QStringLiteral("other.html"));
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("Bookmark List/File Location")));

    ASSERT_TRUE(home.mkpath(QStringLiteral(".config/chromium/Default")));
    QFile chromium(home.filePath(QStringLiteral(".config/chromium/Default/Bookmarks")));
    ASSERT_TRUE(chromium.open(QIODevice::WriteOnly));
    chromium.write(R"({"roots": {"bookmark_bar": {"type": "folder", "children": [
        {"type": "url", "name": "B", "url": "http://b.example/"},
        {"type": "folder", "children": [{"type": "url", "url": "http://a.example/"}]}]}}})");
    chromium.close();
    EXPECT_EQ(listed(QStringLiteral("Chromium")),
        QStringList({QStringLiteral("http://a.example/"), QStringLiteral("http://b.example/")}));

    // A recorded bookmark file wins over the browsers.
    const QString file = writeAppFile(QStringLiteral("bookmark.htm"),
        "<DT><A HREF=\"http://netscape.example/\" ADD_DATE=\"1\">N</A>\n");
    QSettings().setValue(QStringLiteral("Bookmark List/File Location"), file);
    EXPECT_EQ(listed(QStringLiteral("bookmark.htm")),
        QStringList({QStringLiteral("http://netscape.example/")}));
    QSettings().remove(QStringLiteral("Bookmark List"));
    QDir(home.filePath(QStringLiteral(".config/chromium"))).removeRecursively();
}

TEST_F(LinksTest, OKWaitsForADescriptionUnlessThePictureIsTheLink)
{
    const QString image = picture("shown.bmp", QSize(6, 3));
    const QString needed
        = QStringLiteral("Type a description first: it is the text the page shows for the link.");
    struct Case {
        const char *name;
        const char *address;
        const char *description;
        bool withPicture;
        bool accepted;
    };
    const Case cases[] = {
        {"address only", "http://a.example/", "", false, false},
        {"blank description", "http://a.example/", "   ", false, false},
        {"nothing at all", "", "", false, false},
        {"description", "http://a.example/", "About us", false, true},
        {"picture without description", "http://a.example/", "", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        list()->clear();
        dialogs->answerDialog([&](QDialog &dialog) {
            QPushButton *ok = child<QPushButton>(dialog, "btnOK");
            EXPECT_FALSE(ok->isEnabled());
            EXPECT_EQ(ok->toolTip(), needed);
            QTest::keyClicks(child<QLineEdit>(dialog, "txtAddress"), QLatin1String(c.address));
            QTest::keyClicks(
                child<QLineEdit>(dialog, "txtDescription"), QLatin1String(c.description));
            if (c.withPicture) {
                dialogs->answerFile(image);
                click(dialog, "btnImageLink");
            }
            EXPECT_EQ(ok->isEnabled(), c.accepted);
            EXPECT_EQ(ok->toolTip().isEmpty(), c.accepted);
            // Enter reaches the default button, which may not take the link either.
            QTest::keyClick(child<QLineEdit>(dialog, "txtAddress"), Qt::Key_Return);
            EXPECT_EQ(dialog.isVisible(), !c.accepted);
        });
        QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
        EXPECT_EQ(list()->topLevelItemCount(), c.accepted ? 1 : 0);
    }

    // A row without a description, as an older project may hold, cannot be stored as it is.
    list()->clear();
    add({QStringLiteral("http://old.example/"), {}, {}, {}, {}, false});
    select(0);
    dialogs->answerDialog([&](QDialog &dialog) {
        QPushButton *edit = child<QPushButton>(dialog, "btnEdit");
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_EQ(edit->toolTip(), needed);
        QTest::keyClicks(child<QLineEdit>(dialog, "txtDescription"), QStringLiteral("Old"));
        EXPECT_TRUE(edit->isEnabled());
        click(dialog, "btnEdit");
    });
    QTest::mouseClick(ui().links.btnLinkEdit, Qt::LeftButton);
    EXPECT_EQ(row(0)->text(1), QStringLiteral("Old"));
}

TEST_F(LinksTest, ABarInALinkIsRefusedAndTheDialogStaysOpen)
{
    const QString addressMessage = QStringLiteral(
        "A link address cannot contain \"|\", since the project file could not hold it. "
        "Please remove it.");
    const QString descriptionMessage = QStringLiteral(
        "A link description cannot contain \"|\", since the project file could not hold it. "
        "Please remove it.");
    struct Case {
        const char *name;
        bool editing;
        const char *address;
        const char *description;
        QString message;
        const char *focused;
    };
    const Case cases[] = {
        {"new, description", false, "http://a.example/", "Home | About us", descriptionMessage,
            "txtDescription"},
        {"new, address", false, "http://a.example/?a|b", "Home", addressMessage, "txtAddress"},
        {"new, both: the address first", false, "a|b", "c|d", addressMessage, "txtAddress"},
        {"edit, description", true, "http://a.example/", "Home | About us", descriptionMessage,
            "txtDescription"},
        {"edit, address", true, "|", "Home", addressMessage, "txtAddress"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        list()->clear();
        if (c.editing) {
            add(link(QStringLiteral("http://before.example/")));
            select(0);
        }
        const char *accept = c.editing ? "btnEdit" : "btnOK";
        const int before = dialogs->messages().size();
        dialogs->answerDialog([&](QDialog &dialog) {
            QLineEdit *address = child<QLineEdit>(dialog, "txtAddress");
            QLineEdit *description = child<QLineEdit>(dialog, "txtDescription");
            address->setText(QLatin1String(c.address));
            description->setText(QLatin1String(c.description));
            dialogs->answerMessage(MessageAnswer::Ok);
            click(dialog, accept);
            EXPECT_TRUE(dialog.isVisible());
            ASSERT_EQ(dialogs->messages().size(), before + 1);
            EXPECT_EQ(dialogs->messages().last().kind, MessageKind::Error);
            EXPECT_EQ(dialogs->messages().last().text, c.message);
            EXPECT_EQ(dialog.focusWidget(), child<QWidget>(dialog, c.focused));
            // Mended, the link is taken.
            address->setText(address->text().remove(u'|'));
            description->setText(description->text().remove(u'|'));
            click(dialog, accept);
            EXPECT_FALSE(dialog.isVisible());
        });
        QTest::mouseClick(
            c.editing ? ui().links.btnLinkEdit : ui().links.btnLinkNew, Qt::LeftButton);
        ASSERT_EQ(list()->topLevelItemCount(), 1);
        EXPECT_FALSE(row(0)->text(0).contains(u'|'));
        EXPECT_EQ(row(0)->text(1), QString::fromLatin1(c.description).remove(u'|'));
    }

    // A picture whose path holds one is not taken at all.
    ASSERT_TRUE(QDir(appDir.path()).mkpath(QStringLiteral("a|b")));
    const QString barred = picture("a|b/button.bmp", QSize(4, 4));
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(barred);
        dialogs->answerMessage(MessageAnswer::Ok);
        click(dialog, "btnImageLink");
        EXPECT_TRUE(child<QLineEdit>(dialog, "txtImage")->text().isEmpty());
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().last().text,
        QStringLiteral("The path of a link picture cannot contain \"|\", since the project file "
                       "could not hold it. Please choose a picture in another folder, or rename "
                       "it."));
    EXPECT_FALSE(window->pageFiles().contains(barred));
}

TEST_F(LinksTest, EnterInTheFoundLinksTakesTheSelectedOneAndKeepsTheDialogOpen)
{
    const QString page = writeAppFile(QStringLiteral("found.html"),
        "<a href=\"http://first.example/\">1</a><a href=\"http://second.example/\">2</a>\n");
    dialogs->answerDialog([&](QDialog &dialog) {
        // Ready to be taken as it stands, so OK is the default button Enter would press.
        QTest::keyClicks(child<QLineEdit>(dialog, "txtAddress"), QStringLiteral("http://typed/"));
        QTest::keyClicks(child<QLineEdit>(dialog, "txtDescription"), QStringLiteral("Second"));
        dialogs->answerFile(page);
        click(dialog, "btnLinkFile");
        waitForReading(dialog);
        QListWidget *found = child<QListWidget>(dialog, "lstLinks");
        ASSERT_EQ(found->count(), 2);
        found->setFocus();
        found->setCurrentRow(1);
        QTest::keyClick(found, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(child<QLineEdit>(dialog, "txtAddress")->text(),
            QStringLiteral("http://second.example/"));
        found->setCurrentRow(0);
        QTest::keyClick(found, Qt::Key_Enter);
        EXPECT_EQ(child<QLineEdit>(dialog, "txtAddress")->text(),
            QStringLiteral("http://first.example/"));
        click(dialog, "btnOK");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    EXPECT_EQ(addresses(), QStringList({QStringLiteral("http://first.example/")}));
}

TEST_F(LinksTest, AFavoriteWithoutAnAddressSaysSoAndKeepsTheTypedOne)
{
    const auto sized = [this](const char *name, const QByteArray &start, qint64 size) {
        const QString path = writeAppFile(QLatin1String(name), start);
        QFile file(path);
        // Sparse: the size costs no disk and is never read.
        EXPECT_TRUE(file.resize(size));
        return path;
    };
    const QString noAddress
        = QStringLiteral("The favorite \"%1\" holds no web address. The address stays as it was.");
    const QString tooLarge = QStringLiteral(
        "The favorite \"%1\" is larger than 1 MB, so it is no favorite. The address stays as it "
        "was.");
    const QByteArray favorite("[InternetShortcut]\r\nURL=http://fav.example/\r\n");
    static const char kBinary[] = "[InternetShortcut]\r\nURL=\x01\x02\x00\xfe\xff\r\n\x00\x9d";
    struct Case {
        const char *name;
        QString path;
        QString message; // empty: the favorite's address is taken
    };
    const Case cases[] = {
        {"application entry",
            writeAppFile(QStringLiteral("app.desktop"),
                "[Desktop Entry]\nType=Application\nExec=true\nURL=http://app/\n"),
            noAddress.arg(QStringLiteral("app.desktop"))},
        {"binary file",
            writeAppFile(
                QStringLiteral("binary.url"), QByteArray::fromRawData(kBinary, sizeof kBinary - 1)),
            noAddress.arg(QStringLiteral("binary.url"))},
        {"no URL key", writeAppFile(QStringLiteral("nokey.url"), "[InternetShortcut]\nIcon=1\n"),
            noAddress.arg(QStringLiteral("nokey.url"))},
        {"500 MB", sized("huge.url", favorite, 500LL * 1024 * 1024),
            tooLarge.arg(QStringLiteral("huge.url"))},
        {"a byte over 1 MB", sized("over.url", favorite, 1024 * 1024 + 1),
            tooLarge.arg(QStringLiteral("over.url"))},
        {"1 MB", sized("full.url", favorite, 1024 * 1024), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int before = dialogs->messages().size();
        dialogs->answerDialog([&](QDialog &dialog) {
            QLineEdit *address = child<QLineEdit>(dialog, "txtAddress");
            QTest::keyClicks(address, QStringLiteral("http://typed.example/"));
            dialogs->answerFile(c.path);
            if (!c.message.isEmpty())
                dialogs->answerMessage(MessageAnswer::Ok);
            click(dialog, "btnIE");
            if (c.message.isEmpty()) {
                EXPECT_EQ(address->text(), QStringLiteral("http://fav.example/"));
                EXPECT_EQ(dialogs->messages().size(), before);
            } else {
                EXPECT_EQ(address->text(), QStringLiteral("http://typed.example/"));
                ASSERT_EQ(dialogs->messages().size(), before + 1);
                EXPECT_EQ(dialogs->messages().last().kind, MessageKind::Warning);
                EXPECT_EQ(dialogs->messages().last().text, c.message);
            }
            click(dialog, "btnCancel");
        });
        QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    }
}

TEST_F(LinksTest, LinksAreReadWhileTheDialogKeepsAnswering)
{
    const QString page
        = writeAppFile(QStringLiteral("many.html"), "<a href=\"http://a.example/\">a</a>\n");
    dialogs->answerDialog([&](QDialog &dialog) {
        QLabel *caption = child<QLabel>(dialog, "lblLink0");
        QListWidget *found = child<QListWidget>(dialog, "lstLinks");
        dialogs->answerFile(page);
        click(dialog, "btnLinkFile");
        // Back at once: the dialog says it is reading and takes input meanwhile.
        EXPECT_EQ(caption->text(), QStringLiteral("Reading links..."));
        EXPECT_TRUE(dialog.rect().contains(caption->geometry()));
        EXPECT_EQ(found->count(), 0);
        EXPECT_FALSE(child<QToolButton>(dialog, "btnLinkFile")->isEnabled());
        EXPECT_FALSE(child<QToolButton>(dialog, "btnNetscape")->isEnabled());
        EXPECT_EQ(dialog.cursor().shape(), Qt::BusyCursor);
        QTest::keyClicks(child<QLineEdit>(dialog, "txtDescription"), QStringLiteral("While"));
        EXPECT_EQ(child<QLineEdit>(dialog, "txtDescription")->text(), QStringLiteral("While"));

        waitForReading(dialog);
        EXPECT_EQ(caption->text(), QStringLiteral("Available &Links in Document - many.html"));
        ASSERT_EQ(found->count(), 1);
        EXPECT_TRUE(child<QToolButton>(dialog, "btnNetscape")->isEnabled());
        EXPECT_NE(dialog.cursor().shape(), Qt::BusyCursor);
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
}

TEST_F(LinksTest, LinksReadAfterTheDialogClosedAreDropped)
{
    // A file that cannot be read would say so in a message, were anybody still listening.
    dialogs->answerDialog([&](QDialog &dialog) {
        dialogs->answerFile(appDir.filePath(QStringLiteral("gone.html")));
        click(dialog, "btnLinkFile");
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().links.btnLinkNew, Qt::LeftButton);
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    QTest::qWait(50);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(list()->topLevelItemCount(), 0);
}
