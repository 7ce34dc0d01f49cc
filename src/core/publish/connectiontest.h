#pragma once

#include "connectinfo.h"

#include <QString>

class TFtpClient;

// The outcome of trying a server profile: how far the test came, and why it stopped there.
struct ConnectionTestResult {
    enum class Step {
        None,           // every step worked
        HostLookup,     // the host name was not found
        Connect,        // no connection to the server's port
        NoAnswer,       // the server took the connection but sent no FTP reply
        Greeting,       // the server turned the connection away
        Security,       // the server greeted, but TLS could not be set up
        Login,          // the user name or the password was refused
        Directory,      // the initial directory could not be entered
        DataConnection, // no data connection could be made in the chosen mode
        Listing,        // the data connection was made, but the listing failed
    };
    Step failedAt = Step::None;
    // The request's error number: an FTP reply code or a socket error number.
    int error = 0;
    // The server's reply line, or the client's own text for a socket error.
    QString detail;
    // Whether the data connection (when one was made) was passive.
    bool passive = false;
    // Whether the control connection ran TLS once logged in.
    bool secure = false;
    // NoAnswer: the server seems to speak implicit TLS (it sent a TLS record, or it kept
    // silent on port 990 when TLS was not started at once).
    bool implicitTlsLikely = false;
};

// Tries a profile without saving it, on the given client: connects as an upload does (the
// login, then PBSZ and PROT under TLS, then FEAT), changes to the initial
// directory (when one is given), lists it over one data connection in the profile's transfer
// mode, with the profile's security and trusted certificate, and quits. The client's
// OnCertificate is the caller's. Every call blocks while the event loop runs; Abort() on the
// client from an event stops the test at the step that runs (the caller knows it asked).
ConnectionTestResult testConnection(TFtpClient &client, const TConnectInfo &profile);
