#include "platform/qthttpclient.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>

namespace {

// QNetworkReply reports HTTP statuses as errors from 201 upwards; those are
// answers, not failures. 1..99 are the connection-level errors.
bool isConnectionError(QNetworkReply::NetworkError e)
{
    return e != QNetworkReply::NoError && int(e) < 100;
}

} // namespace

QtHttpClient::QtHttpClient(QObject *parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this))
{
}

QtHttpClient::~QtHttpClient() = default;

void QtHttpClient::setTimeoutMs(int ms)
{
    timeoutMs_ = ms > 0 ? ms : 15000;
}

HttpClient::Response QtHttpClient::get(const QString &url)
{
    Response out;
    if (busy_) {
        out.error = Error::Transport;
        out.errorText = QStringLiteral("另一个网络请求尚未结束");
        return out;
    }
    // Tolerant parsing sends a raw space as %20 and keeps existing escapes.
    const QUrl target(url, QUrl::TolerantMode);
    if (!target.isValid() || target.host().isEmpty()) {
        out.error = Error::Transport;
        out.errorText = QStringLiteral("地址无效：") + url;
        return out;
    }

    QScopedValueRollback<bool> busyGuard(busy_, true);
    QNetworkRequest request(target);
    request.setTransferTimeout(timeoutMs_);
    // Each request stands alone: nothing cached, no cookies kept or sent, so
    // every lookup asks the service afresh as it always has.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    QNetworkReply *reply = manager_->get(request);

    QEventLoop loop;
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    // setTransferTimeout restarts on every byte; the guard bounds the whole
    // request, so a server trickling bytes cannot hold the player either.
    connect(&guard, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    guard.start(timeoutMs_ + 500);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    guard.stop();

    if (!reply->isFinished()) {
        // The loop was told to end from outside (the program is exiting):
        // give up on the request rather than wait on.
        reply->abort();
        delete reply;
        out.error = Error::Transport;
        out.errorText = QStringLiteral("请求被中断");
        return out;
    }

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    out.status = status.isValid() ? status.toInt() : 0;
    const QNetworkReply::NetworkError e = reply->error();
    // Nobody but the guard and the transfer timeout cancels our requests.
    if (timedOut || e == QNetworkReply::TimeoutError
        || e == QNetworkReply::OperationCanceledError) {
        out.error = Error::Timeout;
        out.errorText = QStringLiteral("超过 %1 毫秒没有完整的应答").arg(timeoutMs_);
    } else if (isConnectionError(e)) {
        out.error = out.status != 0 ? Error::Incomplete : Error::Transport;
        out.errorText = reply->errorString();
    } else {
        out.body = reply->readAll();
        // A body shorter than its announced length did not arrive whole.
        // (A compressed body is longer once inflated, so only plain ones count.)
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!reply->hasRawHeader("Content-Encoding") && length.isValid()
            && length.toLongLong() > out.body.size()) {
            out.error = Error::Incomplete;
            out.errorText = QStringLiteral("应答不完整");
            out.body.clear();
        }
    }
    // Finished and out of its signal handlers: safe to delete now, and a
    // caller that never returns to the main loop does not collect replies.
    delete reply;
    return out;
}
