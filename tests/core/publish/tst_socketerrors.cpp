#include "socketerrors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>

namespace {

struct Mapping {
    const char *name;
    int code;
    int winsock;
};

void PrintTo(const Mapping &row, std::ostream *out)
{
    *out << row.name;
}

std::string rowName(const ::testing::TestParamInfo<Mapping> &info)
{
    return info.param.name;
}

class ErrnoMapping : public ::testing::TestWithParam<Mapping> {};

TEST_P(ErrnoMapping, GivesTheWinSockNumber)
{
    EXPECT_EQ(SocketErrors::fromErrno(GetParam().code), GetParam().winsock);
}

INSTANTIATE_TEST_SUITE_P(SocketErrors, ErrnoMapping,
    ::testing::Values(Mapping {"ECONNREFUSED", ECONNREFUSED, 10061},
        Mapping {"ECONNRESET", ECONNRESET, 10054},
        // A send after the peer reset the connection answers EPIPE on Linux.
        Mapping {"EPIPE", EPIPE, 10054}, Mapping {"EWOULDBLOCK", EWOULDBLOCK, 10035},
        Mapping {"EINPROGRESS", EINPROGRESS, 10036}, Mapping {"EINVAL", EINVAL, 10022},
        Mapping {"EBADF", EBADF, 10038}, Mapping {"ENOTCONN", ENOTCONN, 10057},
        Mapping {"ETIMEDOUT", ETIMEDOUT, 10060},
        // Linux's 35 is EDEADLK: adding 10000 would have said "would block".
        Mapping {"EDEADLK", EDEADLK, 20000 + EDEADLK}),
    rowName);

class ResolverMapping : public ::testing::TestWithParam<Mapping> {};

TEST_P(ResolverMapping, GivesTheWinSockNumber)
{
    EXPECT_EQ(SocketErrors::fromResolver(GetParam().code, ECONNREFUSED), GetParam().winsock);
}

INSTANTIATE_TEST_SUITE_P(SocketErrors, ResolverMapping,
    ::testing::Values(Mapping {"Success", 0, 0}, Mapping {"EAI_NONAME", EAI_NONAME, 11001},
        Mapping {"EAI_AGAIN", EAI_AGAIN, 11002}, Mapping {"EAI_FAIL", EAI_FAIL, 11003},
        Mapping {"EAI_NODATA", EAI_NODATA, 11004}, Mapping {"EAI_MEMORY", EAI_MEMORY, 10055},
        Mapping {"EAI_SYSTEM_reads_errno", EAI_SYSTEM, 10061}),
    rowName);

struct Description {
    const char *name;
    int error;
    const char *text;
};

void PrintTo(const Description &row, std::ostream *out)
{
    *out << row.name;
}

class ErrorDescription : public ::testing::TestWithParam<Description> {};

TEST_P(ErrorDescription, IsTheTableText)
{
    EXPECT_EQ(SocketErrors::description(GetParam().error), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(SocketErrors, ErrorDescription,
    ::testing::Values(Description {"NoError", 0, "No Error"},
        Description {"InvalidArgument", 10022, "Invalid argument"},
        Description {"WouldBlock", 10035, "Operation would block"},
        Description {"Reset", 10054, "Connection reset by peer"},
        Description {"CannotSplice", 10059, "Too many references: can't splice"},
        Description {"Refused", 10061, "Connection refused"},
        Description {"HostNotFound", 11001, "Host not found"},
        Description {"NoData", 11004, "No Data"},
        Description {"GapInTable", 10072, "Not a WinSock error"},
        Description {"UnmappedErrno", 20005, "Not a WinSock error"}),
    [](const ::testing::TestParamInfo<Description> &info) { return info.param.name; });

} // namespace
