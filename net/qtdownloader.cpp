// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/qtdownloader.h"

#include "base/atomicwrite.h"

#include "net/httpclient.h"


bool QtDownloader::download(const QString &url, const QString &filePath, QString *errorText,
                            qint64 maxBytes, const Progress &progress)
{
    auto fail = [errorText](const QString &why) {
        if (errorText)
            *errorText = why;
        return false;
    };
    QString failure;
    QString why;
    const bool ok = writeAtomically(
        filePath,
        [&](QIODevice &file) {
            const HttpClient::Response r = http_.download(url, file, maxBytes, progress);
            if (!r.ok())
                failure = r.errorText.isEmpty() ? QStringLiteral("下载没有完成：") + url : r.errorText;
            else if (r.status < 200 || r.status > 299)
                failure = QStringLiteral("服务器返回 HTTP %1：%2").arg(r.status).arg(url);
            return failure.isEmpty();
        },
        &why);
    if (ok)
        return true;
    return fail(!failure.isEmpty() ? failure : QStringLiteral("无法写入“%1”：%2").arg(filePath, why));
}
