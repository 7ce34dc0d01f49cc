#pragma once

#include "recordingshell.h"
#include "scripteddialogs.h"
#include "tfrmwiz.h"

#include <QDialog>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QToolButton;

// A named control of a dialog that a script works.
template<class T> T *child(QDialog &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Clicks a named button of a dialog, as the user does.
void click(QDialog &dialog, const char *name);

// Fills a text box and selects from anchor to caret (equal: nothing selected).
void putText(QPlainTextEdit *box, const QString &content, int anchor, int caret);

// Drives a real main window, on an empty application folder, with scripted dialogs.
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the window; tests that need a failing shell call this again first.
    // prepare scripts the answers that start-up itself asks for.
    void createWindow(bool shellSucceeds = true, const QStringList &arguments = {},
        const std::function<void(ScriptedDialogs &)> &prepare = {});

    template<class T> T *find(const char *name) const
    {
        T *widget = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    const WizardUi &ui() const { return window->controls(); }
    QString title() const { return window->windowTitle(); }
    int visiblePanel() const; // 0..7, or -1 unless exactly one shows
    QPoint inWindow(const QWidget *widget) const;
    void clickStep(int step); // as the user does: scrolls the strip first when needed
    void typeInto(QWidget *widget, const QString &text);
    // A file below the application folder, written with its folders.
    QString writeAppFile(const QString &relativePath, const QByteArray &content);

    QTemporaryDir appDir;
    // The data folder the window is given when not appDir.
    QString dataFolder;
    ScriptedDialogs *dialogs = nullptr;
    RecordingShell *shell = nullptr;
    std::unique_ptr<TfrmWiz> window;
};
