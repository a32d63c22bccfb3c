// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "net/httpclient.h"

#include <QString>

// What one page fetch gave: the body as text, or why there is none. A failed
// fetch is kept apart from a page that came back empty, so callers can tell
// "the service said nothing" from "the service could not be reached".
struct FetchResult {
    QString text;
    HttpClient::Error error = HttpClient::Error::None;
    QString errorText;

    bool failed() const { return error != HttpClient::Error::None; }
};

// One plain GET of the URL's encodeUrl form; the body is decoded as UTF-8.
// The body of an HTTP error status is returned like any other. An empty body,
// or one without any decodable text, gives "" without a failure; malformed
// bytes become U+FFFD. Every transport failure (cut off, refused, too large,
// redirect refused ...) gives "" with its error and cause.
FetchResult fetchPage(HttpClient &http, const QString &url);

// A sentence for the user naming why a fetch failed, e.g.
// "连接超时（服务器在 15 秒内没有应答）". Empty for a fetch that did not fail.
QString describeFetchFailure(const FetchResult &result, int timeoutMs);
