#include "savedpagefixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

struct Row {
    QString content;
    QString name;
    bool operator==(const Row &) const = default;
};

void PrintTo(const Row &row, std::ostream *os)
{
    *os << '(' << row.content.toStdString() << '|' << row.name.toStdString() << ')';
}

} // namespace

class MetaTest : public SavedPageTest {
protected:
    QTreeWidget *list() const { return ui().lvMeta; }
    QList<Row> rows() const
    {
        QList<Row> result;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            result << Row {list()->topLevelItem(i)->text(0), list()->topLevelItem(i)->text(1)};
        return result;
    }
    void showMetaTab()
    {
        clickStep(1);
        QTest::mouseClick(ui().tbStyles->tabBar(), Qt::LeftButton, {},
            ui().tbStyles->tabBar()->tabRect(1).center());
        ASSERT_TRUE(ui().lvMeta->isVisible());
    }
    // As the user picks from the drop-down list.
    void chooseName(const QString &name)
    {
        const int index = ui().cbMeta->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        ui().cbMeta->setCurrentIndex(index);
        emit ui().cbMeta->activated(index);
    }
    // The in-place editor of the content, when one is open; a closed one is hidden at once
    // and deleted later.
    QLineEdit *editor() const
    {
        for (QLineEdit *edit : list()->viewport()->findChildren<QLineEdit *>()) {
            if (edit->isVisible())
                return edit;
        }
        return nullptr;
    }
    // Names the next row with none selected, adds it and ends the editing with a key.
    void add(const QString &name, const QString &typed, Qt::Key end = Qt::Key_Return)
    {
        list()->clearSelection();
        chooseName(name);
        QTest::mouseClick(ui().btnMetaAdd, Qt::LeftButton);
        QLineEdit *edit = editor();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, typed);
        endEditing(end);
    }
    // The editor commits Enter on the next turn of the event loop.
    void endEditing(Qt::Key key = Qt::Key_Return)
    {
        ASSERT_NE(editor(), nullptr);
        QTest::keyClick(editor(), key);
        QCoreApplication::processEvents();
        EXPECT_EQ(editor(), nullptr);
    }
    void select(int index)
    {
        list()->setCurrentItem(list()->topLevelItem(index));
        list()->topLevelItem(index)->setSelected(true);
    }
    // A page without a template counts as saved after Save As: the flag goes down.
    void clearModified()
    {
        ui().cbStyles->setCurrentIndex(-1);
        dialogs->answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(ui().btnSave, Qt::LeftButton);
        ASSERT_FALSE(window->isModified());
        ui().cbStyles->setCurrentIndex(0);
        showMetaTab();
        ASSERT_FALSE(window->isModified());
    }
    // The page lists the rows last first, the project in their order.
    void expectSaved(const QList<Row> &expected)
    {
        const Saved saved = saveBoth();
        QByteArray meta;
        for (const Row &row : expected)
            meta.prepend("<META CONTENT=\"" + row.content.toUtf8() + "\" NAME=\""
                + row.name.toUtf8() + "\">\r\n");
        EXPECT_TRUE(saved.page.contains("<HEAD>\r\n" + meta + "<TITLE></TITLE>\r\n"))
            << saved.page.toStdString();
        EXPECT_EQ(projectValue(saved, QStringLiteral("METACOUNT")),
            expected.isEmpty() ? QString() : QString::number(expected.size() - 1));
        for (qsizetype n = 0; n < expected.size(); ++n)
            EXPECT_EQ(projectValue(saved, QStringLiteral("META%1").arg(n)),
                expected[n].content + QLatin1Char('|') + expected[n].name);
    }
};

TEST_F(MetaTest, AddAppendsARowNamedByTheBoxAndEditsItsContentAtOnce)
{
    struct Case {
        const char *name;
        QString typed;
        Qt::Key end;
        QString content;
    };
    const Case cases[] = {
        {"Description", QStringLiteral("A page about cats"), Qt::Key_Return,
            QStringLiteral("A page about cats")},
        {"Keywords", QStringLiteral("cats, dogs"), Qt::Key_Enter, QStringLiteral("cats, dogs")},
        {"Pics-Label", QStringLiteral("typed then dropped"), Qt::Key_Escape, QString()},
        {"Expires", {}, Qt::Key_Escape, QString()},
        {"Reply-to", QStringLiteral("me@example.com"), Qt::Key_Return,
            QStringLiteral("me@example.com")},
        {"Keywords", QStringLiteral("cats"), Qt::Key_Return, QStringLiteral("cats")},
    };
    showMetaTab();
    EXPECT_FALSE(ui().btnMetaDelete->isEnabled());
    QList<Row> expected;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        add(name, c.typed, c.end);
        expected << Row {c.content, name};
        EXPECT_EQ(rows(), expected);
        EXPECT_EQ(list()->currentItem(), list()->topLevelItem(expected.size() - 1));
        EXPECT_TRUE(ui().btnMetaDelete->isEnabled());
    }
    EXPECT_TRUE(dialogs->messages().isEmpty());
    expectSaved(expected);
}

TEST_F(MetaTest, TheNameBoxRenamesTheSelectedRowOrWaitsForTheNextAdd)
{
    showMetaTab();
    add(QStringLiteral("Description"), QStringLiteral("first"));
    add(QStringLiteral("Description"), QStringLiteral("second"));

    // The row just added stays selected, as after editing it in place.
    chooseName(QStringLiteral("Pics-Label"));
    EXPECT_EQ(rows()[1].name, QStringLiteral("Pics-Label"));
    select(0);
    chooseName(QStringLiteral("Expires"));
    EXPECT_EQ(rows(),
        QList<Row>({{QStringLiteral("first"), QStringLiteral("Expires")},
            {QStringLiteral("second"), QStringLiteral("Pics-Label")}}));

    // With nothing selected the choice only names the next row.
    list()->clearSelection();
    chooseName(QStringLiteral("Keywords"));
    EXPECT_EQ(rows()[0].name, QStringLiteral("Expires"));
    EXPECT_EQ(rows()[1].name, QStringLiteral("Pics-Label"));
    QTest::mouseClick(ui().btnMetaAdd, Qt::LeftButton);
    ASSERT_NE(editor(), nullptr);
    endEditing(Qt::Key_Escape);
    EXPECT_EQ(rows().last(), Row({QString(), QStringLiteral("Keywords")}));

    // A click on the selected row edits its content; the name is not typed in place.
    select(1);
    list()->editItem(list()->topLevelItem(1), 1);
    EXPECT_EQ(editor(), nullptr);
    list()->editItem(list()->topLevelItem(1), 0);
    ASSERT_NE(editor(), nullptr);
    editor()->selectAll();
    QTest::keyClicks(editor(), QStringLiteral("changed"));
    endEditing();
    expectSaved({{QStringLiteral("first"), QStringLiteral("Expires")},
        {QStringLiteral("changed"), QStringLiteral("Pics-Label")},
        {QString(), QStringLiteral("Keywords")}});
}

TEST_F(MetaTest, DeleteAsksNothingAndStaysEnabledWhileRowsRemain)
{
    showMetaTab();
    for (const char *content : {"a", "b", "c"})
        add(QStringLiteral("Keywords"), QString::fromLatin1(content));

    // Enabled with nothing selected, and then it deletes nothing.
    list()->clearSelection();
    EXPECT_TRUE(ui().btnMetaDelete->isEnabled());
    QTest::mouseClick(ui().btnMetaDelete, Qt::LeftButton);
    EXPECT_EQ(rows().size(), 3);
    EXPECT_TRUE(ui().btnMetaDelete->isEnabled());

    select(1);
    QTest::mouseClick(ui().btnMetaDelete, Qt::LeftButton);
    EXPECT_EQ(rows(),
        QList<Row>({{QStringLiteral("a"), QStringLiteral("Keywords")},
            {QStringLiteral("c"), QStringLiteral("Keywords")}}));
    EXPECT_TRUE(dialogs->messages().isEmpty());
    expectSaved(rows());

    for (int left = 1; left >= 0; --left) {
        select(0);
        QTest::mouseClick(ui().btnMetaDelete, Qt::LeftButton);
        EXPECT_EQ(rows().size(), left);
        EXPECT_EQ(ui().btnMetaDelete->isEnabled(), left > 0);
    }
    expectSaved({});
}

TEST_F(MetaTest, EveryChangeOfTheListMarksThePageChanged)
{
    struct Case {
        const char *name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"add", [this] { QTest::mouseClick(ui().btnMetaAdd, Qt::LeftButton); }},
        {"edit the content",
            [this] {
                list()->editItem(list()->topLevelItem(0), 0);
                QTest::keyClicks(editor(), QStringLiteral("x"));
                endEditing();
            }},
        {"select a row", [this] { select(1); }},
        {"rename the selected row", [this] { chooseName(QStringLiteral("Expires")); }},
        {"choose a name with none selected",
            [this] {
                list()->clearSelection();
                list()->setCurrentItem(nullptr);
                clearModified();
                chooseName(QStringLiteral("Keywords"));
            }},
        {"delete",
            [this] {
                select(0);
                QTest::mouseClick(ui().btnMetaDelete, Qt::LeftButton);
            }},
    };
    showMetaTab();
    add(QStringLiteral("Description"), QStringLiteral("one"));
    add(QStringLiteral("Description"), QStringLiteral("two"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (editor() != nullptr)
            endEditing();
        clearModified();
        c.change();
        EXPECT_TRUE(window->isModified());
    }
}

TEST_F(MetaTest, SwitchingTabsKeepsTheRowsAndResetEmptiesThem)
{
    showMetaTab();
    add(QStringLiteral("Description"), QStringLiteral("kept"));
    add(QStringLiteral("Reply-to"), QStringLiteral("me@example.com"));
    const QList<Row> before = rows();
    QTest::mouseClick(
        ui().tbStyles->tabBar(), Qt::LeftButton, {}, ui().tbStyles->tabBar()->tabRect(0).center());
    EXPECT_TRUE(ui().txtPageTitle->isVisible());
    EXPECT_FALSE(list()->isVisible());
    clickStep(3);
    showMetaTab();
    EXPECT_EQ(rows(), before);
    expectSaved(before);

    QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_FALSE(ui().btnMetaDelete->isEnabled());
    EXPECT_FALSE(window->isModified());
}
