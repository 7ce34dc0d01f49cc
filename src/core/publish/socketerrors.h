#pragma once

#include <QString>

// Socket error numbers keep WinSock's values (10035, 10054, 10061, 11001, ...), since callers
// show them and compare them. Every errno and resolver code is translated here and nowhere else.
namespace SocketErrors {

// Numbers the component itself uses by name.
inline constexpr int NoError = 0;
inline constexpr int Interrupted = 10004;            // WSAEINTR: a host lookup was cancelled
inline constexpr int InvalidArgument = 10022;        // WSAEINVAL
inline constexpr int NotASocket = 10038;             // WSAENOTSOCK
inline constexpr int WouldBlock = 10035;             // WSAEWOULDBLOCK
inline constexpr int SocketTypeNotSupported = 10044; // WSAESOCKTNOSUPPORT
inline constexpr int NoBufferSpace = 10055;          // WSAENOBUFS
inline constexpr int ConnectionReset = 10054;        // WSAECONNRESET
inline constexpr int NotConnected = 10057;           // WSAENOTCONN
inline constexpr int ConnectionRefused = 10061;      // WSAECONNREFUSED
inline constexpr int HostNotFound = 11001;           // WSAHOST_NOT_FOUND
inline constexpr int NoData = 11004;                 // WSANO_DATA

// errno values without a WinSock counterpart come out as this base plus errno, which the
// description table calls "Not a WinSock error" while the number still tells the cause.
inline constexpr int UnmappedErrnoBase = 20000;

// The WinSock number for an errno value of a socket call.
int fromErrno(int errnoValue);

// The WinSock number for a getaddrinfo() result; errnoValue is read for EAI_SYSTEM.
int fromResolver(int gaiCode, int errnoValue);

// The English description of a socket error number, "Not a WinSock error" when unknown.
QString description(int error);

} // namespace SocketErrors
