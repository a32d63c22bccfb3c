// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/qthttpclient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocale>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcNet, "liravo.net", QtWarningMsg)

namespace {

constexpr qint64 kReadChunk = 64 * 1024;

bool isHttpScheme(const QUrl &url)
{
    const QString s = url.scheme().toLower();
    return s == QLatin1String("http") || s == QLatin1String("https");
}

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Qt reports an HTTP status of 400 and up as an error code in 201..299
// (client side) or 401..499 (server side). Those are answers; every other
// code is a failure of the transfer itself.
bool isHttpStatusError(QNetworkReply::NetworkError e)
{
    const int code = int(e);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
}

QString causeOf(QNetworkReply::NetworkError e)
{
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("连接被拒绝");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("连接被服务器关闭或重置");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("找不到服务器");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("TLS 握手失败");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("网络暂时不可用");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("不支持的协议");
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolInvalidOperationError:
        return QStringLiteral("应答不合 HTTP 协议");
    default:
        break;
    }
    if (int(e) >= 101 && int(e) <= 199)
        return QStringLiteral("代理服务器出错");
    return QStringLiteral("网络错误");
}

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QtHttpClient::QtHttpClient(QObject *parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this))
{
}

QtHttpClient::~QtHttpClient() = default;

void QtHttpClient::setTimeoutMs(int ms)
{
    timeoutMs_ = ms > 0 ? ms : kDefaultHttpTimeoutMs;
}

void QtHttpClient::setMaxBodyBytes(qint64 bytes)
{
    maxBodyBytes_ = bytes > 0 ? bytes : 4 << 20;
}

void QtHttpClient::cancel()
{
    if (!current_)
        return;
    canceled_ = true;
    current_->abort();
}

HttpClient::Response QtHttpClient::get(const QString &url)
{
    return run(url, nullptr, maxBodyBytes_, true, {});
}

HttpClient::Response QtHttpClient::download(const QString &url, QIODevice &sink, qint64 maxBytes,
                                            const Progress &progress)
{
    return run(url, &sink, maxBytes, false, progress);
}

HttpClient::Response QtHttpClient::run(const QString &url, QIODevice *sink, qint64 maxBytes,
                                       bool wholeLimit, const Progress &progress)
{
    Response out;
    if (busy_) {
        out.error = Error::Transport;
        out.errorText = QStringLiteral("另一个网络请求尚未结束");
        return out;
    }
    // Tolerant parsing sends a raw space as %20 and keeps existing escapes.
    QUrl target(url, QUrl::TolerantMode);
    if (!target.isValid() || target.host().isEmpty() || !isHttpScheme(target)) {
        out.error = Error::Transport;
        out.errorText = QStringLiteral("地址无效：") + url;
        return out;
    }

    QScopedValueRollback<bool> busyGuard(busy_, true);
    canceled_ = false;
    QElapsedTimer clock;
    clock.start();

    enum class Stop { None, TooLarge, Compressed, TimedOut, WriteFailed };
    for (int redirects = 0;;) {
        QNetworkRequest request(target);
        request.setTransferTimeout(timeoutMs_);
        // Each request stands alone: nothing cached, no cookies kept or sent, so
        // every lookup asks the service afresh as it always has.
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        // Asking for the plain body keeps the cap honest: a small compressed
        // answer cannot inflate past it.
        request.setRawHeader("Accept-Encoding", "identity");
        QNetworkReply *reply = manager_->get(request);
        reply->setReadBufferSize(kReadChunk);
        current_ = reply;

        Stop stop = Stop::None;
        qint64 received = 0;
        qint64 announced = -1;
        int status = 0;
        auto halt = [&](Stop why) {
            if (stop == Stop::None)
                stop = why;
            reply->abort();
        };
        auto readHead = [&] {
            const QVariant s = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            status = s.isValid() ? s.toInt() : 0;
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            announced = length.isValid() ? length.toLongLong() : -1;
            const QByteArray coding = reply->rawHeader("Content-Encoding").trimmed().toLower();
            if (!coding.isEmpty() && coding != "identity")
                halt(Stop::Compressed);
            else if (announced > maxBytes)
                halt(Stop::TooLarge);
        };
        auto readBody = [&] {
            while (stop == Stop::None && reply->bytesAvailable() > 0) {
                const QByteArray chunk = reply->read(kReadChunk);
                received += chunk.size();
                if (received > maxBytes) {
                    halt(Stop::TooLarge);
                    return;
                }
                // A redirect's own body is not the answer.
                if (isRedirectStatus(status))
                    continue;
                if (!sink) {
                    out.body += chunk;
                } else if ((status < 200 || status > 299)) {
                    continue;
                } else if (sink->write(chunk) != chunk.size()) {
                    halt(Stop::WriteFailed);
                    return;
                }
                if (progress)
                    progress(received, announced);
            }
        };
        QEventLoop loop;
        connect(reply, &QNetworkReply::metaDataChanged, &loop, readHead);
        connect(reply, &QNetworkReply::readyRead, &loop, readBody);
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer guard;
        guard.setSingleShot(true);
        if (wholeLimit) {
            // setTransferTimeout restarts on every byte; the guard bounds the
            // whole request, so a server trickling bytes cannot hold us either.
            connect(&guard, &QTimer::timeout, &loop, [&] { halt(Stop::TimedOut); });
            guard.start(int(qMax<qint64>(1, timeoutMs_ + 500 - clock.elapsed())));
        }
        if (!reply->isFinished())
            loop.exec(interruptible_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        guard.stop();
        current_ = nullptr;

        if (!reply->isFinished()) {
            // The loop was told to end from outside (the program is exiting):
            // give up on the request rather than wait on.
            reply->abort();
            delete reply;
            out = {};
            out.error = Error::Transport;
            out.errorText = QStringLiteral("请求被中断");
            return out;
        }
        if (stop == Stop::None && reply->error() == QNetworkReply::NoError) {
            readHead();
            readBody();
        }
        out.status = status;
        const QNetworkReply::NetworkError e = reply->error();
        const QString qtText = reply->errorString();
        const QByteArray location = reply->rawHeader("Location");
        // Finished and out of its signal handlers: safe to delete now, and a
        // caller that never returns to the main loop does not collect replies.
        delete reply;

        auto failed = [&](Error error, const QString &text) {
            qCInfo(lcNet) << "GET" << target.toString() << "failed:" << text;
            out.error = error;
            out.errorText = text;
            out.body.clear();
            return out;
        };
        if (canceled_)
            return failed(Error::Canceled, QStringLiteral("已取消"));
        switch (stop) {
        case Stop::TooLarge:
            return failed(Error::TooLarge, QStringLiteral("应答太大，超过了 %1 的上限")
                                               .arg(sizeText(maxBytes)));
        case Stop::Compressed:
            return failed(Error::Transport,
                          QStringLiteral("服务器发来了没有要求的压缩数据，无法解压"));
        case Stop::TimedOut:
            return failed(Error::Timeout,
                          QStringLiteral("超过 %1 毫秒没有完整的应答").arg(timeoutMs_));
        case Stop::WriteFailed:
            return failed(Error::Transport, QStringLiteral("无法写入下载的文件：")
                                                + (sink ? sink->errorString() : QString()));
        case Stop::None:
            break;
        }
        if (e == QNetworkReply::TimeoutError || e == QNetworkReply::OperationCanceledError)
            return failed(Error::Timeout, wholeLimit
                                              ? QStringLiteral("超过 %1 毫秒没有完整的应答").arg(timeoutMs_)
                                              : QStringLiteral("超过 %1 毫秒没有收到数据").arg(timeoutMs_));
        if (e != QNetworkReply::NoError && !(status != 0 && isHttpStatusError(e))) {
            const QString text = causeOf(e) + QStringLiteral("：") + qtText;
            return failed(status != 0 && int(e) < 100 ? Error::Incomplete : Error::Transport, text);
        }
        if (isRedirectStatus(status) && !location.isEmpty()) {
            const QUrl next = target.resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
            if (!next.isValid() || !isHttpScheme(next) || next.host().isEmpty())
                return failed(Error::Transport, QStringLiteral("拒绝重定向到“%1”：只跟随 http 和 https 地址")
                                                    .arg(QString::fromLatin1(location)));
            if (++redirects > kMaxRedirects)
                return failed(Error::Transport,
                              QStringLiteral("重定向次数过多（超过 %1 次）").arg(kMaxRedirects));
            target = next;
            out = {};
            continue;
        }
        // A body shorter than its announced length did not arrive whole.
        if (announced >= 0 && announced > received)
            return failed(Error::Incomplete, QStringLiteral("应答不完整"));
        return out;
    }
}
