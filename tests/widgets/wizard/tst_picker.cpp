#include "linkrows.h"
#include "wizardfixture.h"

#include "linksstep.h"
#include "stepnavigation.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QTreeWidget *pickerList(QDialog &dialog)
{
    return child<QTreeWidget>(dialog, "lvLinks2");
}

void pickRow(QDialog &dialog, int row)
{
    QTreeWidget *list = pickerList(dialog);
    list->setCurrentItem(list->topLevelItem(row));
    list->topLevelItem(row)->setSelected(true);
}

} // namespace

class TextLinkPickerTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        const LinkRow rows[] = {
            {QStringLiteral("http://a.example/"), QStringLiteral("A site"), {}, {}, {}, true},
            {QStringLiteral("MAILTO:me@a.example"), QStringLiteral("Mail me"), {}, {}, {}, false},
            {QStringLiteral("http://b.example/"), QStringLiteral("B"),
                appDir.filePath(QStringLiteral("pics/btn.gif")), QStringLiteral("31"),
                QStringLiteral("88"), true},
        };
        for (const LinkRow &row : rows)
            LinkRows::addRow(ui().links.lvLinks, row);
    }
};

TEST_F(TextLinkPickerTest, InsertsThePickedAnchorBeforeTheSelection)
{
    struct Case {
        const char *name;
        int row;
        bool bullets;
        const char *element;
    };
    const Case cases[] = {
        {"text link", 0, false, "<A HREF=\"http://a.example/\">A site</A>"},
        {"e-mail link, not ticked", 1, false, "<A HREF=\"MAILTO:me@a.example\">Mail me</A>"},
        {"image link", 2, true,
            "<A HREF=\"http://b.example/\"><IMG SRC=\"btn.gif\" BORDER=\"0\" HEIGHT=\"31\" "
            "WIDTH=\"88\" ALT=\"Image Link\"></A>"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QPlainTextEdit *target = c.bullets ? ui().bullets.txtBullets : ui().text.txtText;
        putText(target, QStringLiteral("[sel]"), 1, 4);
        dialogs->answerDialog([&](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Insert Text Link"));
            QTreeWidget *list = pickerList(dialog);
            ASSERT_EQ(list->topLevelItemCount(), 3);
            EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Link Address (URL)"));
            EXPECT_EQ(list->headerItem()->text(4), QStringLiteral("Width"));
            EXPECT_FALSE(list->topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());
            EXPECT_TRUE(child<QPushButton>(dialog, "btnOK")->isDefault());
            pickRow(dialog, c.row);
            click(dialog, "btnOK");
        });
        QTest::mouseClick(
            c.bullets ? ui().bullets.btnBulletLinks : ui().text.btnTextLink, Qt::LeftButton);
        const QString element = QString::fromLatin1(c.element);
        EXPECT_EQ(target->toPlainText(), QStringLiteral("[%1sel]").arg(element));
        EXPECT_EQ(target->textCursor().position(), 4 + element.size());
    }
}

TEST_F(TextLinkPickerTest, AnAddressEditedInThePickerChangesOnlyWhatIsInserted)
{
    dialogs->answerDialog([&](QDialog &dialog) {
        QTreeWidget *list = pickerList(dialog);
        pickRow(dialog, 0);
        // Only the address opens an editor.
        list->editItem(list->topLevelItem(0), 1);
        EXPECT_EQ(list->viewport()->findChild<QLineEdit *>(), nullptr);
        list->editItem(list->topLevelItem(0), 0);
        auto *editor = list->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("http://c.example/"));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents(); // the view takes the edit on its next turn
        // A double click on the selected row inserts, as OK does.
        emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    });
    QTest::mouseClick(ui().text.btnTextLink, Qt::LeftButton);
    EXPECT_EQ(ui().text.txtText->toPlainText(),
        QStringLiteral("<A HREF=\"http://c.example/\">A site</A>"));
    EXPECT_EQ(ui().links.lvLinks->topLevelItem(0)->text(0), QStringLiteral("http://a.example/"));
}

TEST_F(TextLinkPickerTest, OKWithoutASelectionAndCancelInsertNothing)
{
    dialogs->answerDialog([&](QDialog &dialog) {
        click(dialog, "btnOK");
        EXPECT_TRUE(dialog.isVisible());
        pickRow(dialog, 0);
        click(dialog, "btnCancel");
    });
    QTest::mouseClick(ui().bullets.btnBulletLinks, Qt::LeftButton);
    EXPECT_TRUE(ui().bullets.txtBullets->toPlainText().isEmpty());
}

TEST_F(TextLinkPickerTest, WithNoLinksItOffersTheLinksStep)
{
    ui().links.lvLinks->clear();
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        clickStep(6);
        dialogs->answerMessage(answer);
        QTest::mouseClick(ui().bullets.btnBulletLinks, Qt::LeftButton);
        const ScriptedDialogs::Message &asked = dialogs->messages().last();
        EXPECT_EQ(asked.kind, MessageKind::Information);
        EXPECT_EQ(asked.buttons, ButtonSet::YesNo);
        EXPECT_EQ(asked.text,
            QStringLiteral("Currently there are no links listed. Would you like to add some?"));
        const int step = answer == MessageAnswer::Yes ? 4 : 6;
        EXPECT_EQ(window->navigation().currentStep(), step);
        EXPECT_EQ(visiblePanel(), step - 1);
        EXPECT_TRUE(ui().strip.btnTB[step - 1]->isChecked());
    }
    EXPECT_TRUE(dialogs->dialogsRun().isEmpty());
}
