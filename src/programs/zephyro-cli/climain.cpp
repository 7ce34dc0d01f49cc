#include "commandline.h"
#include "datafolders.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCommandLine(app.arguments().mid(1),
        DataFolders::locate(QCoreApplication::applicationDirPath()), out, err);
}
