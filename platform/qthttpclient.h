#pragma once
#include "platform/httpclient.h"

#include <QObject>

class QNetworkAccessManager;

// HttpClient over QNetworkAccessManager. get() waits in a nested event loop
// that leaves user input queued: windows repaint and timers fire (the
// playback tick sees busy() and skips), but no click or key can start a
// second request while one is under way. A call made while busy fails at
// once instead of nesting.
class QtHttpClient : public QObject, public HttpClient {
    Q_OBJECT
public:
    explicit QtHttpClient(QObject *parent = nullptr);
    ~QtHttpClient() override;

    Response get(const QString &url) override;
    void setTimeoutMs(int ms) override;
    bool busy() const override { return busy_; }
    int timeoutMs() const { return timeoutMs_; }

private:
    QNetworkAccessManager *manager_;
    int timeoutMs_ = 15000;
    bool busy_ = false;
};
