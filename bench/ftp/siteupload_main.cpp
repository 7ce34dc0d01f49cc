// Figures for SiteUpload over a slow link: a site of many pictures and a page, sent to a
// scripted server on 127.0.0.1 that waits before each reply as a round trip would, over 1 to
// 4 connections. With small files the round trips of each file (EPSV, STOR and its two replies,
// SIZE, RNFR, RNTO) take most of the time, which several connections overlap.
//
// Usage: bench_siteupload [--pictures N] [--kilobytes K] [--delay MS]   (default: 30 200 20)
#include "scriptedftpserver.h"
#include "siteupload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

struct Figures {
    qint64 ms = -1;
    bool complete = false;
};

Figures uploadOnce(const QStringList &files, int connections, int delayMs)
{
    ScriptedFtpServer server;
    server.sessions = connections;
    server.replyDelayMs = delayMs;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("FEAT", "211-Features:\r\n SIZE\r\n211 End\r\n");
    server.start();
    TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"),
        QStringLiteral("pass"), QString(), QString::number(server.port())};
    profile.transferMode = TFtpTransferMode::Passive;
    profile.security = TFtpSecurity::None;
    SiteUpload upload;
    upload.setProfile(profile);
    upload.setFiles(files);
    upload.setConnections(connections);
    QEventLoop loop;
    Figures figures;
    QObject::connect(&upload, &SiteUpload::finished, &loop, [&](const UploadOutcome &outcome) {
        figures.complete = outcome.complete();
        loop.quit();
    });
    // A broken run must not hold the bench.
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    upload.start();
    loop.exec();
    figures.ms = clock.elapsed();
    upload.abort();
    server.join();
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int pictures = 30;
    int kilobytes = 200;
    int delayMs = 20;
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = arguments.at(i + 1).toInt();
        if (arguments.at(i) == QLatin1String("--pictures"))
            pictures = value;
        else if (arguments.at(i) == QLatin1String("--kilobytes"))
            kilobytes = value;
        else if (arguments.at(i) == QLatin1String("--delay"))
            delayMs = value;
    }
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i <= pictures; ++i) {
        const QString name
            = i < pictures ? QStringLiteral("picture%1.jpg").arg(i) : QStringLiteral("index.html");
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly)
            || file.write(QByteArray(kilobytes * 1024, char('a' + i % 26))) != kilobytes * 1024) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        files << file.fileName();
    }
    std::printf("%d pictures and a page of %d KB each, %d ms before each reply\n", pictures,
        kilobytes, delayMs);
    std::printf("%-12s %10s\n", "connections", "seconds");
    for (int connections = 1; connections <= SiteUpload::MaxConnections; ++connections) {
        const Figures figures = uploadOnce(files, connections, delayMs);
        std::printf("%-12d %10.2f%s\n", connections, double(figures.ms) / 1000.0,
            figures.complete ? "" : "  (incomplete)");
        std::fflush(stdout);
    }
    return 0;
}
