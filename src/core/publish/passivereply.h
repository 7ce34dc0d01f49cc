#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

// The port a server offers for a passive data connection, read from its reply to EPSV or
// PASV. The replies come from any server: anything not exactly of the form is refused.
namespace PassiveReply {

// RFC 2428, section 3: "229 Entering Extended Passive Mode (|||6446|)", a text, then in
// parentheses three equal delimiters, the port in decimal and the delimiter again.
std::optional<quint16> epsvPort(QByteArrayView line);

// RFC 959, section 4.1.2 (PASV) and RFC 1123, section 4.1.2.6: "227 Entering Passive Mode
// (h1,h2,h3,h4,p1,p2)", six numbers of 0 to 255 after the reply code, found by their first
// digit. The address the server names is read too, though it is never connected to.
struct PasvOffer {
    quint32 address = 0; // host order
    quint16 port = 0;
};
std::optional<PasvOffer> pasvOffer(QByteArrayView line);

} // namespace PassiveReply
