#include "platform/qtdownloader.h"

#include "platform/httpclient.h"

#include <QSaveFile>

bool QtDownloader::download(const QString &url, const QString &filePath, QString *errorText)
{
    auto fail = [errorText](const QString &why) {
        if (errorText)
            *errorText = why;
        return false;
    };
    const HttpClient::Response r = http_.get(url);
    if (!r.ok()) {
        return fail(r.errorText.isEmpty() ? QStringLiteral("下载没有完成：") + url
                                          : r.errorText);
    }
    if (r.status < 200 || r.status > 299)
        return fail(QStringLiteral("服务器返回 HTTP %1：%2").arg(r.status).arg(url));
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(r.body) != r.body.size()
        || !file.commit())
        return fail(QStringLiteral("无法写入“%1”：%2").arg(filePath, file.errorString()));
    return true;
}
