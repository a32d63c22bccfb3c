#include "online/songsearch.h"

#include "core/appcontext.h"
#include "online/cutbetween.h"
#include "online/fetchpage.h"
#include "online/onlinesettings.h"
#include "platform/dialogs.h"

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
    for (int n = 1;; ++n) {
        // No room for another song: this page has given all it can.
        if (songs.isFull())
            break;
        const QString title = cleanTitle(cutBetween(page, QStringLiteral("-->"),
                                                    QStringLiteral("</a>"), qint16(n + 1)));
        const QString singer = cleanSinger(cutBetween(page, QStringLiteral("singerDetail"),
                                                      QStringLiteral("</a>"), qint16(n)));
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
                          Dialogs *dialogs, int timeoutMs)
{
    SearchOutcome out;
    if (text.isEmpty())
        return out;

    for (int pageNumber = 1;; ++pageNumber) {
        const FetchResult page = fetchPage(http, searchPageUrl(host, text, pageNumber));
        ++out.pagesFetched;
        if (page.failed()) {
            out.error = page.error;
            out.errorText = describeFetchFailure(page, timeoutMs);
            if (dialogs) {
                QString message = QStringLiteral("搜索网络歌曲失败：") + out.errorText;
                if (out.songs.count > 0)
                    message += QStringLiteral("\r\n已经找到的 %1 首歌曲仍然列出。").arg(out.songs.count);
                dialogs->messageBox(message, QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Warning);
            }
            break;
        }
        if (!quiet && page.text.contains(kNoResultMarker)) {
            out.noResult = true;
            if (dialogs)
                dialogs->messageBox(QStringLiteral("没有找到相关曲目"), QStringLiteral("歌曲没有找到"),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::None);
            break;
        }
        const int before = out.songs.count;
        const bool hasNext = scrapeResultPage(page.text, out.songs);
        // A full collection or a page that added nothing ends the search: a
        // service that always offers "下一页" must not be asked forever.
        if (!hasNext || out.songs.isFull() || out.songs.count == before)
            break;
    }
    return out;
}

SearchOutcome searchSongs(AppContext &ctx, const QString &text, bool quiet)
{
    if (!ctx.http || !ctx.settings)
        return {};
    const int timeoutMs = httpTimeoutMs(*ctx.settings);
    ctx.http->setTimeoutMs(timeoutMs);
    return searchSongs(*ctx.http, searchHost(*ctx.settings), text, quiet, ctx.dialogs, timeoutMs);
}
