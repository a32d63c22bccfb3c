#pragma once
// An HTTP client that answers every request with the fuzzer's input, so whole
// request loops run over arbitrary replies.
#include "platform/httpclient.h"

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
    void setTimeoutMs(int) override {}
    bool busy() const override { return false; }
    int requests = 0;

private:
    QByteArray body_;
};
