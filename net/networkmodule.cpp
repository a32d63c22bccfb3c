// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/networkmodule.h"
#include "net/qthttpclient.h"

// Loaded by LazyHttpClient on the first request; the caller owns the client.
extern "C" Q_DECL_EXPORT HttpClient *liravo_network_create_v2()
{
    return new QtHttpClient;
}
