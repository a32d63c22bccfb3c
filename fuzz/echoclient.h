// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An HTTP client that answers every request with the fuzzer's input, so whole
// request loops run over arbitrary replies.
#include "net/httpclient.h"

#include <utility>

class EchoClient : public HttpClient {
public:
    explicit EchoClient(QByteArray body) : body_(std::move(body)) {}
    Response get(const QString &) override
    {
        ++requests;
        Response r;
        r.status = 200;
        r.body = body_;
        return r;
    }
    Response download(const QString &url, QIODevice &, qint64, const Progress &) override
    {
        return get(url);
    }
    void setTimeoutMs(int) override {}
    void setMaxBodyBytes(qint64) override {}
    void setInterruptible(bool) override {}
    void cancel() override {}
    bool busy() const override { return false; }
    int requests = 0;

private:
    QByteArray body_;
};
