// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"
#include "net/httpclient.h"

#include <QString>

class Dialogs;
struct Services;

// What one lookup gave: the address ("" when nothing usable was found) and,
// when the service could not be reached, why.
struct ResolveOutcome {
    QString address;
    HttpClient::Error error = HttpClient::Error::None;
    QString errorText;
    int requests = 0;

    bool failed() const { return error != HttpClient::Error::None; }
};

// The lookup service's address for a song; an empty singer leaves the singer
// part out. Nothing is escaped here (the fetch encodes non-ASCII).
QString lookupUrl(const QString &host, const QString &songName, const QString &singer);

// True for a reply that found nothing: empty, or "<count>0</count>".
bool lookupFoundNothing(const QString &reply);

// Picks the playable address out of a reply that found something: the first
// candidate whose real file name ends in ".mp3" gives its directory and that
// name. "" when the reply has no "<decode>" element.
QString addressFromLookupReply(const QString &reply);

// Asks the lookup service for the song, and again without the singer when
// that finds nothing. Unless quiet, "not found" and an unreachable service
// are reported through `dialogs` (may be null). The singer is never changed.
ResolveOutcome resolveMp3Address(HttpClient &http, const QString &host, const QString &songName,
                                 const QString &singer, bool quiet, Dialogs *dialogs,
                                 int timeoutMs);

// The resolver playEntry calls, over the context's client, dialogs and
// "网络" settings. A service that cannot be reached counts as "not found".
AddressResolver makeResolver(Services &services);
