#include "savedpagefixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

class MetaTest : public SavedPageTest {
protected:
    QTreeWidget *list() const { return ui().start.lvMeta; }
    // Each row as the project writes it: content|name.
    QStringList rows() const
    {
        QStringList result;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            result << list()->topLevelItem(i)->text(0) + u'|' + list()->topLevelItem(i)->text(1);
        return result;
    }
    void showTab(int index)
    {
        QTabBar *tabs = ui().start.tbStyles->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    void chooseName(const QString &name) // as picked from the drop-down list
    {
        const int index = ui().start.cbMeta->findText(name);
        ui().start.cbMeta->setCurrentIndex(index);
        emit ui().start.cbMeta->activated(index);
    }
    // The in-place editor; a closed one is hidden at once and deleted later.
    QLineEdit *editor() const
    {
        for (QLineEdit *edit : list()->viewport()->findChildren<QLineEdit *>()) {
            if (edit->isVisible())
                return edit;
        }
        return nullptr;
    }
    void type(const QString &text, Qt::Key end)
    {
        ASSERT_NE(editor(), nullptr);
        QTest::keyClicks(editor(), text);
        QTest::keyClick(editor(), end);
        QCoreApplication::processEvents(); // Enter commits on the next turn of the loop
        EXPECT_EQ(editor(), nullptr);
    }
    void add(const QString &name, const QString &text, Qt::Key end = Qt::Key_Return)
    {
        list()->clearSelection();
        chooseName(name);
        QTest::mouseClick(ui().start.btnMetaAdd, Qt::LeftButton);
        type(text, end);
    }
    void select(int index)
    {
        list()->setCurrentItem(list()->topLevelItem(index));
        list()->topLevelItem(index)->setSelected(true);
    }
    // The page lists the rows last first; the project in their order.
    void expectSaved(const QStringList &expected)
    {
        const Saved saved = saveBoth();
        QByteArray meta;
        for (const QString &row : expected) {
            const QStringList parts = row.split(u'|');
            meta.prepend("<META CONTENT=\"" + parts[0].toUtf8() + "\" NAME=\"" + parts[1].toUtf8()
                + "\">\r\n");
        }
        EXPECT_TRUE(saved.page.contains("<HEAD>\r\n" + meta + "<TITLE>")) << saved.page.data();
        EXPECT_EQ(projectValue(saved, QStringLiteral("METACOUNT")),
            expected.isEmpty() ? QString() : QString::number(expected.size() - 1));
        for (qsizetype n = 0; n < expected.size(); ++n)
            EXPECT_EQ(projectValue(saved, QStringLiteral("META%1").arg(n)), expected[n]);
    }
};

TEST_F(MetaTest, AddNamesTheRowFromTheBoxAndEditsItsContentAtOnce)
{
    const struct {
        const char *name, *typed;
        Qt::Key end;
        const char *row;
    } cases[] = {
        {"Description", "About cats", Qt::Key_Return, "About cats|Description"},
        {"Keywords", "cats, dogs", Qt::Key_Enter, "cats, dogs|Keywords"},
        {"Pics-Label", "dropped", Qt::Key_Escape, "|Pics-Label"},
        {"Expires", "", Qt::Key_Escape, "|Expires"},
        {"Reply-to", "me@example.com", Qt::Key_Return, "me@example.com|Reply-to"},
        {"Keywords", "cats", Qt::Key_Return, "cats|Keywords"},
    };
    clickStep(1);
    showTab(1);
    EXPECT_FALSE(ui().start.btnMetaDelete->isEnabled());
    QStringList expected;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        add(QLatin1String(c.name), QLatin1String(c.typed), c.end);
        expected << QLatin1String(c.row);
        EXPECT_EQ(rows(), expected);
        EXPECT_TRUE(list()->topLevelItem(expected.size() - 1)->isSelected());
        EXPECT_TRUE(ui().start.btnMetaDelete->isEnabled());
    }
    expectSaved(expected);
}

TEST_F(MetaTest, TheNameBoxRenamesTheSelectedRowAndDeleteAsksNothing)
{
    clickStep(1);
    showTab(1);
    add(QStringLiteral("Description"), QStringLiteral("first"));
    add(QStringLiteral("Description"), QStringLiteral("second"));
    chooseName(QStringLiteral("Pics-Label")); // the row just added is still selected
    select(0);
    chooseName(QStringLiteral("Expires"));
    list()->clearSelection();
    chooseName(QStringLiteral("Keywords")); // names only the next row
    QTest::mouseClick(ui().start.btnMetaAdd, Qt::LeftButton);
    type({}, Qt::Key_Escape);
    EXPECT_EQ(rows(),
        QStringList({QStringLiteral("first|Expires"), QStringLiteral("second|Pics-Label"),
            QStringLiteral("|Keywords")}));
    // The name is never typed in place; the content is, again.
    list()->editItem(list()->topLevelItem(1), 1);
    EXPECT_EQ(editor(), nullptr);
    list()->editItem(list()->topLevelItem(1), 0);
    editor()->selectAll();
    type(QStringLiteral("changed"), Qt::Key_Return);
    // Switching tabs and steps keeps every row.
    showTab(0);
    EXPECT_FALSE(list()->isVisible());
    clickStep(3);
    clickStep(1);
    showTab(1);
    const QStringList kept = {QStringLiteral("first|Expires"), QStringLiteral("changed|Pics-Label"),
        QStringLiteral("|Keywords")};
    EXPECT_EQ(rows(), kept);
    expectSaved(kept);

    // Delete asks nothing, and stays enabled with nothing selected, deleting nothing.
    const auto deleteSelected = [this] {
        const qsizetype asked = dialogs->messages().size();
        QTest::mouseClick(ui().start.btnMetaDelete, Qt::LeftButton);
        EXPECT_EQ(dialogs->messages().size(), asked);
    };
    list()->clearSelection();
    EXPECT_TRUE(ui().start.btnMetaDelete->isEnabled());
    deleteSelected();
    EXPECT_EQ(rows(), kept);
    select(1);
    deleteSelected();
    expectSaved({kept[0], kept[2]});
    for (int left : {1, 0}) {
        EXPECT_TRUE(ui().start.btnMetaDelete->isEnabled());
        select(0);
        deleteSelected();
        EXPECT_EQ(rows().size(), left);
    }
    EXPECT_FALSE(ui().start.btnMetaDelete->isEnabled());
    expectSaved({});
}

TEST_F(MetaTest, EveryChangeOfTheListMarksThePageChanged)
{
    const auto none = [] {};
    const struct {
        const char *name;
        std::function<void()> before, change;
    } cases[] = {
        {"add", none, [this] { QTest::mouseClick(ui().start.btnMetaAdd, Qt::LeftButton); }},
        {"edit", [this] { type({}, Qt::Key_Return); },
            [this] {
                list()->editItem(list()->topLevelItem(0), 0);
                type(QStringLiteral("x"), Qt::Key_Return);
            }},
        {"select", none, [this] { select(1); }},
        {"rename", none, [this] { chooseName(QStringLiteral("Expires")); }},
        {"name the next", [this] { list()->clearSelection(); },
            [this] { chooseName(QStringLiteral("Keywords")); }},
        {"delete", [this] { select(0); },
            [this] { QTest::mouseClick(ui().start.btnMetaDelete, Qt::LeftButton); }},
    };
    clickStep(1);
    showTab(1);
    add(QStringLiteral("Description"), QStringLiteral("one"));
    add(QStringLiteral("Description"), QStringLiteral("two"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        c.before();
        saveBoth();
        ASSERT_FALSE(window->isModified());
        c.change();
        EXPECT_TRUE(window->isModified());
    }
    // A reset empties the list, and the delete button goes off with it.
    saveBoth();
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_FALSE(ui().start.btnMetaDelete->isEnabled());
}
