// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/lazyhttpclient.h"

#include "net/networkmodule.h"

#include <QScopedValueRollback>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcNetLoad, "liravo.net")

LazyHttpClient::LazyHttpClient(QStringList candidates) : candidates_(std::move(candidates)) {}

LazyHttpClient::~LazyHttpClient() = default;

QString LazyHttpClient::moduleFileName()
{
    return QStringLiteral("libliravo_network.so");
}

bool LazyHttpClient::load()
{
    if (tried_)
        return client_ != nullptr;
    tried_ = true;
    QScopedValueRollback<bool> loadingGuard(loading_, true);
    // The library is never unloaded: the client's code must outlive it,
    // and Qt keeps the network stack's threads and caches in it.
    const bool loaded = loadFromModule(
        candidates_, moduleFileName(), LIRAVO_NETWORK_FACTORY,
        [this](QFunctionPointer factory) {
            auto create = reinterpret_cast<LiravoNetworkFactory>(factory);
            client_.reset(create ? create() : nullptr);
            return client_ != nullptr;
        },
        &loadError_);
    if (loaded) {
        client_->setTimeoutMs(timeoutMs_);
        if (maxBodyBytes_ > 0)
            client_->setMaxBodyBytes(maxBodyBytes_);
        client_->setInterruptible(interruptible_);
        return true;
    }
    qCWarning(lcNetLoad, "web searches are off, the network module did not load: %s",
              qPrintable(loadError_));
    return false;
}

HttpClient::Response LazyHttpClient::notLoaded() const
{
    Response out;
    out.error = Error::Transport;
    out.errorText = QStringLiteral("网络模块无法加载：") + loadError_;
    return out;
}

HttpClient::Response LazyHttpClient::get(const QString &url)
{
    return load() ? client_->get(url) : notLoaded();
}

HttpClient::Response LazyHttpClient::download(const QString &url, QIODevice &sink,
                                              qint64 maxBytes, const Progress &progress)
{
    return load() ? client_->download(url, sink, maxBytes, progress) : notLoaded();
}

void LazyHttpClient::setMaxBodyBytes(qint64 bytes)
{
    maxBodyBytes_ = bytes;
    if (client_)
        client_->setMaxBodyBytes(bytes);
}

void LazyHttpClient::setInterruptible(bool on)
{
    interruptible_ = on;
    if (client_)
        client_->setInterruptible(on);
}

void LazyHttpClient::cancel()
{
    if (client_)
        client_->cancel();
}

void LazyHttpClient::setTimeoutMs(int ms)
{
    timeoutMs_ = ms > 0 ? ms : kDefaultHttpTimeoutMs;
    if (client_)
        client_->setTimeoutMs(timeoutMs_);
}

bool LazyHttpClient::busy() const
{
    return loading_ || (client_ && client_->busy());
}
