#include "platform/lazyhttpclient.h"

#include "platform/networkmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QScopedValueRollback>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcNetLoad, "liravo.net")

#ifndef LIRAVO_NETWORK_MODULE_RELDIR
#define LIRAVO_NETWORK_MODULE_RELDIR "../lib/liravo"
#endif

LazyHttpClient::LazyHttpClient(QStringList candidates) : candidates_(std::move(candidates)) {}

LazyHttpClient::~LazyHttpClient() = default;

QString LazyHttpClient::moduleFileName()
{
    return QStringLiteral("libliravo_network.so");
}

QStringList LazyHttpClient::defaultCandidates()
{
    const QDir exeDir(QCoreApplication::applicationDirPath());
    return {exeDir.filePath(moduleFileName()),
            QDir::cleanPath(exeDir.filePath(QStringLiteral(LIRAVO_NETWORK_MODULE_RELDIR "/")
                                            + moduleFileName()))};
}

bool LazyHttpClient::load()
{
    if (tried_)
        return client_ != nullptr;
    tried_ = true;
    QScopedValueRollback<bool> loadingGuard(loading_, true);
    QStringList reasons;
    for (const QString &path : std::as_const(candidates_)) {
        if (!QFileInfo::exists(path))
            continue;
        // The library is never unloaded: the client's code must outlive it,
        // and Qt keeps the network stack's threads and caches in it.
        QLibrary lib(path);
        if (!lib.load()) {
            reasons << lib.errorString();
            continue;
        }
        auto create = reinterpret_cast<LiravoNetworkFactory>(lib.resolve(LIRAVO_NETWORK_FACTORY));
        HttpClient *made = create ? create() : nullptr;
        if (!made) {
            reasons << path + QStringLiteral(": no ") + QLatin1String(LIRAVO_NETWORK_FACTORY);
            continue;
        }
        client_.reset(made);
        client_->setTimeoutMs(timeoutMs_);
        if (maxBodyBytes_ > 0)
            client_->setMaxBodyBytes(maxBodyBytes_);
        client_->setInterruptible(interruptible_);
        return true;
    }
    if (reasons.isEmpty())
        reasons << QStringLiteral("%1 not found (looked in: %2)")
                       .arg(moduleFileName(), candidates_.join(QStringLiteral(", ")));
    loadError_ = reasons.join(QStringLiteral("; "));
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
