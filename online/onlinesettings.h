// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "net/httpclient.h"

#include <QString>

class Settings;

// Where the online features go and how long they wait. All three live under
// the fixed application name, section "网络", so tests and users can point
// the player at another service (a mirror, or a loopback server).
// A host may carry a port: "127.0.0.1:8080".
QString searchHost(Settings &settings);   // "搜索主机"
QString lookupHost(Settings &settings);   // "查询主机"
// "超时毫秒": the time limit for connecting plus transferring one page.
// Values below 1000 or unreadable fall back to 15000.
int httpTimeoutMs(Settings &settings);

// "搜索总毫秒": the time limit for a whole search, all pages together.
// Values below 1000 or unreadable fall back to 60000.
int searchLimitMs(Settings &settings);
// "应答上限字节": the most a page or service reply may hold. Values below
// 64 KiB or unreadable fall back to 4 MiB.
qint64 maxReplyBytes(Settings &settings);

inline constexpr int kDefaultSearchLimitMs = 60000;
inline constexpr qint64 kDefaultMaxReplyBytes = qint64(4) << 20;
