// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "net/httpclient.h"

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// HttpClient over QNetworkAccessManager. Bodies are read as they arrive and
// counted against a cap, so no answer can grow without bound; gzip is not
// asked for, so the count is the real size. Redirects are followed by hand,
// only to http/https and only a few times. get() waits in a nested event
// loop that leaves user input queued (unless interruptible): windows repaint
// and timers fire (the playback tick sees busy() and skips), but no click or
// key can start a second request while one is under way. A call made while
// busy fails at once instead of nesting.
class QtHttpClient : public QObject, public HttpClient {
    Q_OBJECT
public:
    explicit QtHttpClient(QObject *parent = nullptr);
    ~QtHttpClient() override;

    Response get(const QString &url) override;
    Response download(const QString &url, QIODevice &sink, qint64 maxBytes,
                      const Progress &progress = {}) override;
    void setTimeoutMs(int ms) override;
    void setMaxBodyBytes(qint64 bytes) override;
    void setInterruptible(bool on) override { interruptible_ = on; }
    void cancel() override;
    bool busy() const override { return busy_; }
    int timeoutMs() const { return timeoutMs_; }
    qint64 maxBodyBytes() const { return maxBodyBytes_; }

    static constexpr int kMaxRedirects = 5;

private:
    Response run(const QString &url, QIODevice *sink, qint64 maxBytes, bool wholeLimit,
                 const Progress &progress);

    QNetworkAccessManager *manager_;
    QPointer<QNetworkReply> current_;
    int timeoutMs_ = kDefaultHttpTimeoutMs;
    qint64 maxBodyBytes_ = 4 << 20;
    bool busy_ = false;
    bool interruptible_ = false;
    bool canceled_ = false;
};
