// SPDX-License-Identifier: GPL-3.0-or-later
// The lookup-reply parser on arbitrary replies, alone and inside the whole
// resolution (with its retry) over a client that answers with the input.
// tools/fuzz.sh seeds it with a reply of several megabytes and runs it with a
// time limit per input, so a walk that is not linear fails the run.
//
// The sources are compiled into this target (not taken from the library) so
// the fuzzer's coverage instrumentation and the sanitizers see them.
#include "online/addressresolver.cpp"
#include "online/bytestotext.cpp"
#include "tests/support/cutbetween.cpp"
#include "online/encodeurl.cpp"
#include "online/fetchpage.cpp"
#include "online/markercuts.cpp"
#include "online/markerfinder.cpp"

#include "echoclient.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString reply = QString::fromUtf8(bytes);
    const QString address = addressFromLookupReply(reply);
    // The address is "http", a piece of the reply (a directory) and another
    // piece (a file name).
    if (address.size() > 2 * reply.size() + 4)
        std::abort();

    EchoClient http(bytes);
    const QString singer = QStringLiteral("歌手");
    const ResolveOutcome out = resolveMp3Address(http, QStringLiteral("h"), QStringLiteral("歌"),
                                                 singer, true, nullptr, 1000);
    if (http.requests < 1 || http.requests > 2 || out.requests != http.requests)
        std::abort();
    if (singer != QStringLiteral("歌手"))
        std::abort();
    return 0;
}
