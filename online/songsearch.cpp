// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/songsearch.h"

#include "base/services.h"
#include "online/markercuts.h"
#include "online/fetchpage.h"
#include "online/onlinesettings.h"
#include "desktop/dialogs.h"

#include <QElapsedTimer>

#include <limits>

namespace {

const QString kKeywordOpen = QStringLiteral("<span class='keyword'>");
const QString kKeywordClose = QStringLiteral("</span>");
constexpr int kMaxResultsPerPage = 50;
constexpr int kMaxTitleLength = 30;

void dropKeywordHighlight(QString &s)
{
    if (s.contains(kKeywordOpen)) {
        s.remove(kKeywordOpen);
        s.remove(kKeywordClose);
    }
}

QString cleanTitle(QString title)
{
    title.remove(QChar(9));
    dropKeywordHighlight(title);
    title.remove(QChar(13));
    title.remove(QChar(10));
    // Keep the "(": tidying the list later takes it and the blank before it.
    const qsizetype paren = title.indexOf(QLatin1Char('('));
    if (paren >= 0)
        title.truncate(paren + 1);
    return title;
}

QString cleanSinger(QString singer)
{
    const qsizetype tagEnd = singer.indexOf(QLatin1String("\">"));
    if (tagEnd >= 0)
        singer = singer.mid(tagEnd + 2);
    else
        singer = singer.mid(1);
    if (singer.contains(QLatin1String(".jsp?")))
        return {};
    dropKeywordHighlight(singer);
    singer.remove(QChar(13));
    return singer;
}

} // namespace

QString searchPageUrl(const QString &host, const QString &text, int page)
{
    return QStringLiteral("http://") + host
           + QStringLiteral("/music/musicSearchResult.jsp?mode=1&uID=xbrqeltwyna-kiQv&v=2&p=")
           + QString::number(page) + QStringLiteral("&w=1104&keyword=") + text;
}

bool scrapeResultPage(const QString &page, SongCollection &songs)
{
    // One pass over the page for all results, not one per result.
    MarkerCuts titles(page, QStringLiteral("-->"), QStringLiteral("</a>"));
    MarkerCuts singers(page, QStringLiteral("singerDetail"), QStringLiteral("</a>"));
    for (int n = 1;; ++n) {
        // No room for another song: this page has given all it can.
        if (songs.isFull())
            break;
        const QString title = cleanTitle(titles.cut(n + 1));
        const QString singer = cleanSinger(singers.cut(n));
        // The span after the last result holds a line break or the
        // "users who like this song" block; past 50 the page is repeating.
        if (title.contains(QLatin1String("<br>")) || title.contains(QStringLiteral("喜欢这首歌的用户"))
            || n > kMaxResultsPerPage)
            break;
        if (title.isEmpty() || title.size() > kMaxTitleLength)
            continue;
        ++songs.count;
        SongEntry &e = songs.entry(songs.count);
        e = SongEntry{};
        e.songName = title;
        e.singer = singer;
    }
    return page.contains(QStringLiteral("下一页"));
}

SearchOutcome searchSongs(HttpClient &http, const QString &host, const QString &text, bool quiet,
                          Dialogs *dialogs, const SearchOptions &options)
{
    SearchOutcome out;
    if (text.isEmpty())
        return out;

    QElapsedTimer clock;
    clock.start();
    auto overallLeft = [&] {
        return options.overallMs > 0 ? options.overallMs - clock.elapsed()
                                     : std::numeric_limits<qint64>::max();
    };
    auto report = [&](const QString &why) {
        out.errorText = why;
        if (!dialogs)
            return;
        QString message = QStringLiteral("搜索网络歌曲失败：") + why;
        if (out.songs.count > 0)
            message += QStringLiteral("\r\n已经找到的 %1 首歌曲仍然列出。").arg(out.songs.count);
        dialogs->messageBox(message, QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                            Dialogs::Icon::Warning);
    };
    const QString overallText =
        QStringLiteral("整个搜索超过了 %1 秒的时限").arg((options.overallMs + 999) / 1000);

    for (int pageNumber = 1; pageNumber <= kMaxPages; ++pageNumber) {
        if (options.canceled && options.canceled()) {
            out.error = HttpClient::Error::Canceled;
            break;
        }
        const qint64 left = overallLeft();
        if (left <= 0) {
            out.error = HttpClient::Error::Timeout;
            report(overallText);
            break;
        }
        // A page may not outlast the whole search.
        const int pageLimit = int(qMin<qint64>(options.timeoutMs, left));
        http.setTimeoutMs(pageLimit);
        if (options.pageStarted)
            options.pageStarted(pageNumber, out.songs.count);
        const FetchResult page = fetchPage(http, searchPageUrl(host, text, pageNumber));
        ++out.pagesFetched;
        if (page.failed()) {
            out.error = page.error;
            // The user asked for the stop: the songs so far are the answer.
            if (page.error == HttpClient::Error::Canceled)
                break;
            // A page whose limit was what remained of the whole search ran
            // into the overall limit.
            if (page.error == HttpClient::Error::Timeout && pageLimit < options.timeoutMs)
                report(overallText);
            else
                report(describeFetchFailure(page, pageLimit));
            break;
        }
        if (!quiet && page.text.contains(kNoResultMarker)) {
            out.noResult = true;
            if (dialogs)
                dialogs->messageBox(QStringLiteral("没有找到相关曲目"), QStringLiteral("歌曲没有找到"),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::None);
            break;
        }
        const bool hasNext = scrapeResultPage(page.text, out.songs);
        // A page that kept nothing may still lead to one that does; the page
        // cap and the overall limit keep an endless "下一页" from running on.
        if (!hasNext || out.songs.isFull())
            break;
    }
    http.setTimeoutMs(options.timeoutMs);
    return out;
}

SearchOutcome searchSongs(Services &services, const QString &text, bool quiet,
                          SearchOptions options)
{
    options.timeoutMs = httpTimeoutMs(services.settings);
    options.overallMs = searchLimitMs(services.settings);
    services.http.setTimeoutMs(options.timeoutMs);
    services.http.setMaxBodyBytes(maxReplyBytes(services.settings));
    return searchSongs(services.http, searchHost(services.settings), text, quiet, &services.dialogs, options);
}
