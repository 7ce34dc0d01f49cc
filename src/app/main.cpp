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
    QGuiApplication::setDesktopFileName(QStringLiteral("zephyro"));
    QApplication::setFont(QFont(QStringLiteral("Arial"), 8));

    WizardServices services {
        std::make_unique<QtDialogService>(), std::make_unique<QtDesktopShell>()};
    const StartupOptions options {
        QCoreApplication::applicationDirPath() + QLatin1Char('/'), app.arguments().mid(1)};
    TfrmWiz window(std::move(services), options);

    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/zephyro.png"));
    icon.addFile(QStringLiteral(":/icons/zephyro@2x.png"));
    QApplication::setWindowIcon(icon);

    window.show();
    return app.exec();
}
