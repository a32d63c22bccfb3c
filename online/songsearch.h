// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"
#include "net/httpclient.h"

#include <QString>

#include <functional>

class Dialogs;
struct Services;

// What a search gave: the songs found (online entries: name and singer, no
// address) and how it ended.
struct SearchOutcome {
    SongCollection songs;
    bool noResult = false;   // the service said it found nothing
    HttpClient::Error error = HttpClient::Error::None;
    QString errorText;       // the user-facing reason when error != None
    int pagesFetched = 0;

    bool failed() const { return error != HttpClient::Error::None; }
};

// The text every result page that found nothing contains.
inline const QString kNoResultMarker = QStringLiteral("抱歉，没有找到您搜索");

// The address of result page `page` for the words `text` (not escaped here:
// the fetch percent-encodes non-ASCII and leaves ASCII as typed).
QString searchPageUrl(const QString &host, const QString &text, int page);

// Reads the results of one result page into `songs`, after what it already
// holds, and says whether the page links to a following one ("下一页").
// Never fills `songs` past its capacity.
bool scrapeResultPage(const QString &page, SongCollection &songs);

// A search asks for at most this many pages.
inline constexpr int kMaxPages = 20;

struct SearchOptions {
    int timeoutMs = kDefaultHttpTimeoutMs; // each page
    int overallMs = 0;      // the whole search; 0: no overall limit
    // Asked before each page; true ends the search as canceled, keeping the
    // songs found so far (a running request is ended through HttpClient::cancel).
    std::function<bool()> canceled;
    // Told before each page is asked for, with the songs found so far.
    std::function<void(int page, int songs)> pageStarted;
};

// Requests result pages one after another until a page has no following one,
// 100 songs are held, kMaxPages pages were read, or the overall limit is
// reached. An empty text gives an empty collection at once. Unless quiet, a
// page that says nothing was found ends the search with "没有找到相关曲目".
// A page that cannot be fetched ends it too, keeping the songs of earlier
// pages; `dialogs` (may be null) is told why. A cancel is not reported.
SearchOutcome searchSongs(HttpClient &http, const QString &host, const QString &text, bool quiet,
                          Dialogs *dialogs, const SearchOptions &options);

// The same with the context's client, dialogs and the "网络" settings (time
// limits and the reply cap come from there).
SearchOutcome searchSongs(Services &services, const QString &text, bool quiet,
                          SearchOptions options = {});
