#include "wizardfixture.h"

#include "stepnavigation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>
#include <QToolButton>

void click(QDialog &dialog, const char *name)
{
    QTest::mouseClick(child<QAbstractButton>(dialog, name), Qt::LeftButton);
}

void putText(QPlainTextEdit *box, const QString &content, int anchor, int caret)
{
    box->setPlainText(content);
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(caret, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

void WizardTest::SetUp()
{
    ASSERT_TRUE(appDir.isValid());
    // Every test starts as a new user: no settings left by an earlier one.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Marbleton Software"),
        QStringLiteral("HTML Editor Zephyro"))
        .clear();
    createWindow();
}

void WizardTest::createWindow(bool shellSucceeds, const QStringList &arguments,
    const std::function<void(ScriptedDialogs &)> &prepare)
{
    window.reset();
    auto scripted = std::make_unique<ScriptedDialogs>();
    auto recording = std::make_unique<RecordingShell>(shellSucceeds);
    dialogs = scripted.get();
    if (prepare)
        prepare(*scripted);
    shell = recording.get();
    window = std::make_unique<TfrmWiz>(WizardServices {std::move(scripted), std::move(recording)},
        StartupOptions {
            dataFolder.isEmpty() ? appDir.path() + QLatin1Char('/') : dataFolder, arguments});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // What start-up has to report shows once the window is on the screen.
    QCoreApplication::processEvents();
}

void WizardTest::TearDown()
{
    if (window) {
        EXPECT_TRUE(dialogs->allAnswersUsed()) << "a scripted answer was never asked for";
    }
    window.reset();
    for (const QWidget *widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->objectName().toStdString();
}

int WizardTest::visiblePanel() const
{
    int shown = -1;
    for (int i = 0; i < kStepCount; ++i) {
        if (ui().strip.pnl[i]->isVisible()) {
            if (shown != -1)
                return -1;
            shown = i;
        }
    }
    return shown;
}

QPoint WizardTest::inWindow(const QWidget *widget) const
{
    return widget->mapTo(window.get(), QPoint(0, 0));
}

void WizardTest::clickStep(int step)
{
    const bool inView = window->navigation().isScrolled() ? step >= 3 : step <= 6;
    if (!inView) {
        QToolButton *arrow
            = window->navigation().isScrolled() ? ui().strip.btnTBBack : ui().strip.btnTBNext;
        QTest::mouseClick(arrow, Qt::LeftButton);
    }
    QTest::mouseClick(ui().strip.btnTB[step - 1], Qt::LeftButton);
}

QString WizardTest::writeAppFile(const QString &relativePath, const QByteArray &content)
{
    const QString path = appDir.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    return path;
}

void WizardTest::typeInto(QWidget *widget, const QString &text)
{
    widget->setFocus();
    QTest::keyClicks(widget, text);
}
