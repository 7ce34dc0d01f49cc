#include "socketnames.h"

#include <gtest/gtest.h>

namespace {

// Stand-ins for the system's services database: one without /etc/services, one whose
// administrator moved FTP.
bool noServices(const QByteArray &, const QByteArray &, quint16 &)
{
    return false;
}

bool ftpMoved(const QByteArray &service, const QByteArray &protocolName, quint16 &port)
{
    if (service != "ftp" || protocolName != "tcp")
        return false;
    port = 2121;
    return true;
}

struct ServiceRow {
    const char *name;
    SocketNames::ServiceLookup lookup;
    const char *service;
    const char *protocol;
    bool known;
    int port;
};

void PrintTo(const ServiceRow &row, std::ostream *out)
{
    *out << row.name;
}

class ServicePort : public ::testing::TestWithParam<ServiceRow> {};

TEST_P(ServicePort, ComesFromTheSystemOrTheProgramsOwnNames)
{
    const ServiceRow &row = GetParam();
    quint16 port = 0;
    EXPECT_EQ(SocketNames::portFromText(QLatin1String(row.service), row.protocol, port, row.lookup),
        row.known);
    EXPECT_EQ(port, row.port);
}

INSTANTIATE_TEST_SUITE_P(SocketNames, ServicePort,
    ::testing::Values(ServiceRow {"FtpWithoutServicesFile", noServices, "ftp", "tcp", true, 21},
        ServiceRow {"FtpDataWithoutServicesFile", noServices, "ftp-data", "tcp", true, 20},
        ServiceRow {"OtherNameWithoutServicesFile", noServices, "http", "tcp", false, 0},
        ServiceRow {"FtpOverUdpIsNotAssumed", noServices, "ftp", "udp", false, 0},
        ServiceRow {"SystemAnswerComesFirst", ftpMoved, "ftp", "tcp", true, 2121}),
    [](const ::testing::TestParamInfo<ServiceRow> &info) { return info.param.name; });

} // namespace
