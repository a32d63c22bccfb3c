// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/addressresolver.h"

#include "base/services.h"
#include "online/fetchpage.h"
#include "online/markercuts.h"
#include "online/onlinesettings.h"
#include "desktop/dialogs.h"

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

namespace {

// The real file name inside one "<decode>" element [from, to): what follows
// its first "CDATA[" (not at the element's first character) up to the next
// `nameEnd`, both wholly inside the element. Found through shared finders so
// the walk over every candidate reads the reply once.
bool nameBounds(qsizetype from, qsizetype to, MarkerFinder &cdata, MarkerFinder &nameEnd,
                qsizetype &nameFrom, qsizetype &nameTo)
{
    const qsizetype c = cdata.at(from + 1);
    if (c < 0 || c + cdata.markerSize() > to)
        return false;
    const qsizetype q = nameEnd.at(c + 1);
    if (q < 0 || q + nameEnd.markerSize() > to || q - c - cdata.markerSize() <= 0)
        return false;
    nameFrom = c + cdata.markerSize();
    nameTo = q;
    return true;
}

} // namespace

QString addressFromLookupReply(const QString &reply)
{
    const QString http = QStringLiteral("http");
    MarkerCuts addresses(reply, http, QStringLiteral("]]"));
    MarkerCuts decodes(reply, QStringLiteral("<decode>"), QStringLiteral("</decode>"));
    MarkerFinder cdata(reply, QStringLiteral("CDATA["));
    MarkerFinder firstNameEnd(reply, QStringLiteral("]"));
    MarkerFinder nameEnd(reply, QStringLiteral("]]"));
    MarkerFinder mp3(reply, QStringLiteral(".mp3"));

    qsizetype from = 0, to = 0, nameFrom = 0, nameTo = 0;
    if (!decodes.bounds(1, from, to))
        return {};
    // The first name ends at "]"; later ones at "]]" (the service's replies
    // have always been read this way).
    bool named = nameBounds(from, to, cdata, firstNameEnd, nameFrom, nameTo);
    int k = 1;
    // Ends at the first candidate without a file name, at the latest one past
    // the last "<decode>" element; the bound only matters for absurd replies.
    auto isMp3 = [&] {
        const qsizetype m = mp3.at(nameFrom);
        return m >= 0 && m + 4 <= nameTo;
    };
    while (named && !isMp3()) {
        if (++k > std::numeric_limits<qint16>::max())
            return {};
        named = decodes.bounds(k, from, to) && nameBounds(from, to, cdata, nameEnd, nameFrom, nameTo);
    }
    QString address = http + addresses.cut(k);
    if (address.contains(QLatin1String(".mp3")))
        address.truncate(address.lastIndexOf(QLatin1Char('/')) + 1);
    return named ? address + reply.mid(nameFrom, nameTo - nameFrom) : address;
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

AddressResolver makeResolver(Services &services)
{
    return [&services](const QString &songName, const QString &singer, bool quiet) -> QString {
        const int timeoutMs = httpTimeoutMs(services.settings);
        services.http.setTimeoutMs(timeoutMs);
        services.http.setMaxBodyBytes(maxReplyBytes(services.settings));
        return resolveMp3Address(services.http, lookupHost(services.settings), songName, singer, quiet,
                                 &services.dialogs, timeoutMs)
            .address;
    };
}
