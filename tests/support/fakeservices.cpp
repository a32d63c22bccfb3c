// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"

#include "base/settingskeys.h"

#include <gtest/gtest.h>

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

namespace {
// A key made for one call: the names stay alive as long as the key is used.
struct AdHocKey {
    AdHocKey(Settings &s, const QString &app, const QString &section, const QString &name,
             const QString &fallback)
        : section_(section.toUtf8()), name_(name.toUtf8()), fallback_(fallback.toUtf8()),
          key{app == Settings::sharedAppName() ? SettingKey::Scope::Shared : SettingKey::Scope::Program,
              section_.constData(), name_.constData(), fallback_.constData()}
    {
        if (app != Settings::sharedAppName() && app != s.programAppName())
            ADD_FAILURE() << "no scope names the application " << app.toStdString();
    }
    QByteArray section_, name_, fallback_;
    SettingKey key;
};
} // namespace

void storeEntry(Settings &settings, const QString &app, const QString &section, const QString &key,
                const QString &value)
{
    settings.store(AdHocKey(settings, app, section, key, {}).key, value);
}

QString storedEntry(Settings &settings, const QString &app, const QString &section,
                    const QString &key, const QString &fallback)
{
    return settings.value(AdHocKey(settings, app, section, key, fallback).key);
}
