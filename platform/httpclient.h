#pragma once
#include <QByteArray>
#include <QString>

// A synchronous HTTP GET. While a request is under way the windows keep
// painting but take no user input. QtHttpClient is the real one; tests use
// FakeHttpClient or the loopback server in tools/.
class HttpClient {
public:
    enum class Error {
        None,        // a response arrived (any status; the body may be empty)
        Incomplete,  // the response started but did not finish
        Transport,   // no connection, unknown host, refused, reset
        Timeout,     // no complete answer within the time limit
    };

    struct Response {
        Error error = Error::None;
        int status = 0;          // HTTP status, 0 when none arrived
        QByteArray body;
        QString errorText;       // human-readable, for messages
        bool ok() const { return error == Error::None; }
    };

    virtual ~HttpClient() = default;
    // url is already in its wire form (non-ASCII percent-encoded).
    virtual Response get(const QString &url) = 0;
    // Time limit for connecting plus transferring, in milliseconds.
    virtual void setTimeoutMs(int ms) = 0;
    // True while a request is under way (the playback tick skips then).
    virtual bool busy() const = 0;
};
