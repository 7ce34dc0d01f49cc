#include "esocketexception.h"
#include "hostlookup.h"
#include "socketerrors.h"
#include "socketlog.h"
#include "tasyncsocket.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int TimeoutMs = SocketLog::TimeoutMs;

struct Dotted {
    const char *name;
    const char *host;
    const char *result;
};

void PrintTo(const Dotted &row, std::ostream *out)
{
    *out << row.name;
}

class DottedLookup : public ::testing::TestWithParam<Dotted> {};

TEST_P(DottedLookup, IsAnsweredBeforeDnsLookupReturns)
{
    TAsyncSocket socket;
    SocketLog log(socket);
    socket.DnsLookup(QLatin1String(GetParam().host));
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("dns 0")}));
    EXPECT_EQ(socket.DnsResult(), QLatin1String(GetParam().result));
    EXPECT_EQ(socket.DnsResultList(), QStringList({QLatin1String(GetParam().result)}));
}

INSTANTIATE_TEST_SUITE_P(DnsLookup, DottedLookup,
    ::testing::Values(Dotted {"Loopback", "127.0.0.1", "127.0.0.1"},
        Dotted {"Blanks", "  192.168.10.20 ", "192.168.10.20"},
        Dotted {"Broadcast", "255.255.255.255", "255.255.255.255"}),
    [](const ::testing::TestParamInfo<Dotted> &info) { return info.param.name; });

struct LoopbackName {
    const char *name;
    const char *host;
    bool loopback; // answered without the resolver
};

void PrintTo(const LoopbackName &row, std::ostream *out)
{
    *out << row.name;
}

class LocalhostLookup : public ::testing::TestWithParam<LoopbackName> {};

// Without /etc/hosts the system resolver knows no "localhost"; the stand-in answers nothing.
TEST_P(LocalhostLookup, NeedsNoResolver)
{
    const LoopbackName &row = GetParam();
    int resolverCalls = 0;
    const HostLookup::Resolver resolver = [&resolverCalls](const QByteArray &, QStringList &) {
        ++resolverCalls;
        return SocketErrors::HostNotFound;
    };
    QStringList addresses;
    const int error = HostLookup::resolve(QLatin1String(row.host), addresses, resolver);
    if (row.loopback) {
        EXPECT_EQ(error, SocketErrors::NoError);
        EXPECT_EQ(addresses, QStringList({QStringLiteral("127.0.0.1")}));
        EXPECT_EQ(resolverCalls, 0);
    } else {
        EXPECT_EQ(error, SocketErrors::HostNotFound);
        EXPECT_TRUE(addresses.isEmpty());
        EXPECT_EQ(resolverCalls, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(DnsLookup, LocalhostLookup,
    ::testing::Values(LoopbackName {"Localhost", "localhost", true},
        LoopbackName {"UpperCase", "LOCALHOST", true},
        LoopbackName {"Absolute", "LocalHost.", true},
        LoopbackName {"Subdomain", "www.example.localhost", true},
        LoopbackName {"LocalhostAsSubdomain", "localhost.example", false},
        LoopbackName {"LongerLabel", "mylocalhost", false},
        LoopbackName {"EmptyLabel", ".localhost", false}),
    [](const ::testing::TestParamInfo<LoopbackName> &info) { return info.param.name; });

TEST(DnsLookup, NameIsResolvedOffTheCallerAndAnsweredFromTheEventLoop)
{
    TAsyncSocket socket;
    SocketLog log(socket);
    socket.DnsLookup(QStringLiteral("localhost"));
    EXPECT_TRUE(log.lines.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.lines.isEmpty(); }, TimeoutMs));
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("dns 0")}));
    EXPECT_EQ(socket.DnsResult(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(socket.DnsResultList().value(0), QStringLiteral("127.0.0.1"));
}

TEST(DnsLookup, UnknownHostEndsWith11001)
{
    TAsyncSocket socket;
    SocketLog log(socket);
    // Names under .invalid are never delegated (RFC 6761 section 6.4): resolvers answer
    // "not found" without asking the internet.
    socket.DnsLookup(QStringLiteral("nosuchhost.invalid"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.lines.isEmpty(); }, TimeoutMs));
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("dns 11001")}));
    EXPECT_EQ(socket.DnsResult(), QString());
    EXPECT_TRUE(socket.DnsResultList().isEmpty());
}

TEST(DnsLookup, EmptyNameIsReportedAndStillEndsWith10022)
{
    TAsyncSocket thrower;
    SocketLog log(thrower);
    QString report;
    try {
        thrower.DnsLookup(QString());
    } catch (const ESocketException &e) {
        report = e.message();
    }
    EXPECT_EQ(report, QStringLiteral("DNS lookup: invalid host name."));
    EXPECT_TRUE(log.lines.isEmpty());
    ASSERT_TRUE(log.waitFor(QStringLiteral("dns 10022")));

    TAsyncSocket handled;
    SocketLog handledLog(handled);
    handled.OnError = [&handledLog](TCustomAsyncSocket *) { handledLog.lines << "error"; };
    handled.DnsLookup(QStringLiteral("  "));
    ASSERT_TRUE(handledLog.waitFor(QStringLiteral("dns 10022")));
    EXPECT_EQ(
        handledLog.lines, QStringList({QStringLiteral("error"), QStringLiteral("dns 10022")}));
}

TEST(DnsLookup, CancelEndsThePendingLookupWith10004Only)
{
    TAsyncSocket socket;
    SocketLog log(socket);
    socket.CancelDnsLookup();
    EXPECT_TRUE(log.lines.isEmpty());

    socket.DnsLookup(QStringLiteral("localhost"));
    socket.CancelDnsLookup();
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("dns 10004")}));
    // A lookup after it is answered on its own; the cancelled one's answer never shows.
    socket.DnsLookup(QStringLiteral("nosuchhost.invalid"));
    ASSERT_TRUE(log.waitFor(QStringLiteral("dns 11001")));
    QTest::qWait(100);
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("dns 10004"), QStringLiteral("dns 11001")}));
}

TEST(DnsLookup, NewLookupCancelsThePendingOne)
{
    TAsyncSocket socket;
    SocketLog log(socket);
    socket.DnsLookup(QStringLiteral("nosuchhost.invalid"));
    socket.DnsLookup(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("dns 10004"), QStringLiteral("dns 0")}));
    QTest::qWait(100);
    EXPECT_EQ(log.lines.size(), 2);
    EXPECT_EQ(socket.DnsResult(), QStringLiteral("127.0.0.1"));
}

TEST(DnsLookup, DestroyingTheSocketDropsThePendingAnswer)
{
    QStringList lines;
    {
        auto socket = std::make_unique<TAsyncSocket>();
        socket->OnDnsLookupDone
            = [&lines](TCustomAsyncSocket *, quint16 error) { lines << QString::number(error); };
        socket->DnsLookup(QStringLiteral("localhost"));
    }
    QTest::qWait(100);
    EXPECT_TRUE(lines.isEmpty()) << lines.join(u',').toStdString();
}

} // namespace
