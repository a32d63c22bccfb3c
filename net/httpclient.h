// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// A synchronous HTTP GET. While a request is under way the windows keep
// painting but take no user input (unless the caller filters input itself,
// see setInterruptible). QtHttpClient is the real one; tests use
// FakeHttpClient or the loopback servers in tools/.
// How long a request may take, connecting and transferring, unless the
// settings say otherwise ("网络"/"超时毫秒").
inline constexpr int kDefaultHttpTimeoutMs = 15000;

class HttpClient {
public:
    enum class Error {
        None,        // a response arrived (any status; the body may be empty)
        Incomplete,  // the response started but did not finish
        Transport,   // refused, reset, unknown host, TLS, redirect refused, compressed
        Timeout,     // no complete answer within the time limit
        TooLarge,    // the answer went past the size cap
        Canceled,    // cancel() ended it
    };

    struct Response {
        Error error = Error::None;
        int status = 0;          // HTTP status, 0 when none arrived
        QByteArray body;
        QString errorText;       // human-readable, for messages
        bool ok() const { return error == Error::None; }
    };

    // Bytes received so far and the announced total (-1 when unknown).
    using Progress = std::function<void(qint64 received, qint64 total)>;

    virtual ~HttpClient() = default;
    // A page or a service reply, read into memory up to the body cap and
    // within the time limit for the whole request. url is already in its
    // wire form (non-ASCII percent-encoded).
    virtual Response get(const QString &url) = 0;
    // Streams a 2xx body into `sink` as it arrives, up to maxBytes. Only a
    // silence of the time limit ends it, however long the whole takes. The
    // returned body is empty.
    virtual Response download(const QString &url, QIODevice &sink, qint64 maxBytes,
                              const Progress &progress = {}) = 0;
    // Time limit in milliseconds: for get() connecting plus transferring,
    // for download() the longest wait for the next byte.
    virtual void setTimeoutMs(int ms) = 0;
    // Cap on a get() body in bytes.
    virtual void setMaxBodyBytes(qint64 bytes) = 0;
    // On: the wait lets user input through, because the caller drops all of
    // it but its way to cancel (InputGate). Off: input stays queued.
    virtual void setInterruptible(bool on) = 0;
    // Ends the request under way as Error::Canceled; nothing when idle.
    virtual void cancel() = 0;
    // True while a request is under way (the playback tick skips then).
    virtual bool busy() const = 0;
};
