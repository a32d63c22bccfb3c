// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/fetchpage.h"

#include "online/bytestotext.h"
#include "online/encodeurl.h"

FetchResult fetchPage(HttpClient &http, const QString &url)
{
    const HttpClient::Response response = http.get(encodeUrl(url));
    FetchResult result;
    result.error = response.error;
    result.errorText = response.errorText;
    if (response.ok() && !response.body.isEmpty())
        result.text = bytesToText(response.body, QStringLiteral("utf-8"));
    return result;
}

QString describeFetchFailure(const FetchResult &result, int timeoutMs)
{
    const QString detail = result.errorText.isEmpty()
                               ? QString()
                               : QStringLiteral("（") + result.errorText + QStringLiteral("）");
    switch (result.error) {
    case HttpClient::Error::None:
        return {};
    case HttpClient::Error::Timeout:
        return QStringLiteral("连接超时：服务器在 %1 秒内没有应答").arg((timeoutMs + 999) / 1000);
    case HttpClient::Error::Incomplete:
        return QStringLiteral("服务器的应答没有传完") + detail;
    case HttpClient::Error::TooLarge:
        return QStringLiteral("服务器的应答太大") + detail;
    case HttpClient::Error::Canceled:
        return QStringLiteral("已取消");
    case HttpClient::Error::Transport:
        break;
    }
    // Refused, reset, unknown host, TLS, a refused redirect: the cause says which.
    return QStringLiteral("网络请求失败") + detail;
}
