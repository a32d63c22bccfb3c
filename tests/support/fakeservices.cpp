#include "fakeservices.h"

FakeServices::FakeServices()
{
    ctx.settings = &settings;
    ctx.player = &player;
    ctx.dialogs = &dialogs;
    ctx.tray = &tray;
    ctx.resolver = [](const QString &, const QString &, bool) { return QString(); };
}

void FakeServices::wireEverything()
{
    ctx.http = &http;
    ctx.browser = &browser;
    ctx.downloader = &downloader;
    ctx.launcher = &launcher;
    ctx.fileAssociation = &association;
    ctx.instanceLock = &lock;
}
