#include "datafolders.h"
#include "qtdesktopshell.h"
#include "qtdialogservice.h"
#include "tfrmwiz.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Marbleton Software"));
    QCoreApplication::setApplicationName(QStringLiteral("HTML Editor Zephyro"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
    // The installed desktop entry, so the desktop groups the window under it.
    QGuiApplication::setDesktopFileName(QStringLiteral("marbleton-html-zephyro"));
    QApplication::setFont(QFont(QStringLiteral("Arial"), 8));

    WizardServices services {
        std::make_unique<QtDialogService>(), std::make_unique<QtDesktopShell>()};
    const StartupOptions options {
        DataFolders::locate(QCoreApplication::applicationDirPath()), app.arguments().mid(1)};
    TfrmWiz window(std::move(services), options);

    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/zephyro.png"));
    icon.addFile(QStringLiteral(":/icons/zephyro@2x.png"));
    QApplication::setWindowIcon(icon);

    window.show();
    return app.exec();
}
