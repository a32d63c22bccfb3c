#include "net/qtdownloader.h"

#include "net/httpclient.h"

#include <QSaveFile>

bool QtDownloader::download(const QString &url, const QString &filePath, QString *errorText,
                            qint64 maxBytes, const Progress &progress)
{
    auto fail = [errorText](const QString &why) {
        if (errorText)
            *errorText = why;
        return false;
    };
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("无法写入“%1”：%2").arg(filePath, file.errorString()));
    const HttpClient::Response r = http_.download(url, file, maxBytes, progress);
    if (!r.ok()) {
        file.cancelWriting();
        return fail(r.errorText.isEmpty() ? QStringLiteral("下载没有完成：") + url
                                          : r.errorText);
    }
    if (r.status < 200 || r.status > 299) {
        file.cancelWriting();
        return fail(QStringLiteral("服务器返回 HTTP %1：%2").arg(r.status).arg(url));
    }
    if (!file.commit())
        return fail(QStringLiteral("无法写入“%1”：%2").arg(filePath, file.errorString()));
    return true;
}
