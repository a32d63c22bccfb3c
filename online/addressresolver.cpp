#include "online/addressresolver.h"

#include "core/appcontext.h"
#include "online/cutbetween.h"
#include "online/fetchpage.h"
#include "online/onlinesettings.h"
#include "platform/dialogs.h"

#include <limits>

QString lookupUrl(const QString &host, const QString &songName, const QString &singer)
{
    QString title = songName;
    if (!singer.isEmpty())
        title += QStringLiteral("$$") + singer;
    title += QStringLiteral("$$$$");
    return QStringLiteral("http://") + host + QStringLiteral("/x?op=12&count=1&title=") + title;
}

bool lookupFoundNothing(const QString &reply)
{
    return reply.isEmpty() || reply.contains(QLatin1String("<count>0</count>"));
}

QString addressFromLookupReply(const QString &reply)
{
    const QString http = QStringLiteral("http");
    QString address = http + cutBetween(reply, http, QStringLiteral("]]"), 1);
    QString decode = cutBetween(reply, QStringLiteral("<decode>"), QStringLiteral("</decode>"), 1);
    if (decode.isEmpty())
        return {};
    // The first name ends at "]"; later ones at "]]" (the service's replies
    // have always been read this way).
    QString fileName = cutBetween(decode, QStringLiteral("CDATA["), QStringLiteral("]"), 1);

    // Ends at the first candidate without a file name, at the latest one past
    // the last "<decode>" element; the bound only matters for absurd replies.
    for (int k = 2; !fileName.isEmpty() && !fileName.contains(QLatin1String(".mp3")); ++k) {
        if (k > std::numeric_limits<qint16>::max())
            return {};
        address = http + cutBetween(reply, http, QStringLiteral("]]"), qint16(k));
        decode = cutBetween(reply, QStringLiteral("<decode>"), QStringLiteral("</decode>"), qint16(k));
        fileName = cutBetween(decode, QStringLiteral("CDATA["), QStringLiteral("]]"), 1);
    }

    if (address.contains(QLatin1String(".mp3")))
        address.truncate(address.lastIndexOf(QLatin1Char('/')) + 1);
    return address + fileName;
}

ResolveOutcome resolveMp3Address(HttpClient &http, const QString &host, const QString &songName,
                                 const QString &singer, bool quiet, Dialogs *dialogs,
                                 int timeoutMs)
{
    ResolveOutcome out;
    QString s = singer;
    for (;;) {
        const FetchResult reply = fetchPage(http, lookupUrl(host, songName, s));
        ++out.requests;
        if (reply.failed()) {
            out.error = reply.error;
            out.errorText = describeFetchFailure(reply, timeoutMs);
            if (!quiet && dialogs)
                dialogs->messageBox(QStringLiteral("无法查询歌曲地址：") + out.errorText);
            return out;
        }
        if (!lookupFoundNothing(reply.text)) {
            out.address = addressFromLookupReply(reply.text);
            return out;
        }
        if (!s.isEmpty()) {
            s.clear();
            continue;
        }
        if (!quiet && dialogs)
            dialogs->messageBox(QStringLiteral("这首歌没有找到：\r\n歌曲名：") + songName
                                + QStringLiteral("\r\n歌手：") + singer);
        return out;
    }
}

AddressResolver makeResolver(AppContext &ctx)
{
    return [&ctx](const QString &songName, const QString &singer, bool quiet) -> QString {
        if (!ctx.http || !ctx.settings)
            return {};
        const int timeoutMs = httpTimeoutMs(*ctx.settings);
        ctx.http->setTimeoutMs(timeoutMs);
        return resolveMp3Address(*ctx.http, lookupHost(*ctx.settings), songName, singer, quiet,
                                 ctx.dialogs, timeoutMs)
            .address;
    };
}
