// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "net/httpclient.h"
#include "base/moduleloader.h"

#include <QString>
#include <QStringList>

#include <memory>

// Stands in for the real HTTP client, which lives in a module of its own
// (liravo_network) so that the network stack and the Kerberos and proxy
// libraries it brings are only loaded when the first request is made; most
// sessions never make one. The time limit given before then is handed on,
// (as are the body cap and the interruptible flag), and busy() reads the
// same before and after loading. Without the module
// every request fails as a connection failure that says why.
class LazyHttpClient : public HttpClient {
public:
    // candidates: file paths tried in order; the first that loads wins.
    explicit LazyHttpClient(QStringList candidates = moduleCandidates(moduleFileName()));
    ~LazyHttpClient() override;

    Response get(const QString &url) override;
    Response download(const QString &url, QIODevice &sink, qint64 maxBytes,
                      const Progress &progress = {}) override;
    void setTimeoutMs(int ms) override;
    void setMaxBodyBytes(qint64 bytes) override;
    void setInterruptible(bool on) override;
    void cancel() override;
    bool busy() const override;

    bool loaded() const { return client_ != nullptr; }
    int timeoutMs() const { return timeoutMs_; }

    static QString moduleFileName();

private:
    bool load();
    Response notLoaded() const;

    QStringList candidates_;
    std::unique_ptr<HttpClient> client_;
    QString loadError_;
    bool tried_ = false;
    bool loading_ = false;
    int timeoutMs_ = kDefaultHttpTimeoutMs;
    qint64 maxBodyBytes_ = 0;
    bool interruptible_ = false;
};
