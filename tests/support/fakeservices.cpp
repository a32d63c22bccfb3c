// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"

#include <QSignalBlocker>

namespace {
template <typename T, typename F>
T &either(T *replacement, F &fake)
{
    return replacement ? *replacement : fake;
}
} // namespace

SongCollection &heldCollection(Player &player)
{
    SongCollection *held = nullptr;
    const QSignalBlocker quiet(player);
    player.editCollection([&held](SongCollection &c) { held = &c; });
    return *held;
}

FakeServices::FakeServices() : FakeServices(Replace{}) {}

FakeServices::FakeServices(const Replace &r)
    : ctx{.services = {.settings = either(r.settings, settings),
           .player = either(r.player, player),
           .dialogs = either(r.dialogs, dialogs),
           .http = either(r.http, http),
           .browser = browser,
           .tray = either(r.tray, tray),
           .instanceLock = lock,
           .fileAssociation = association,
           .downloader = downloader,
           .launcher = launcher,
           .resolver = [](const QString &, const QString &, bool) { return QString(); }},
          .navigator = &nav}
{
}
