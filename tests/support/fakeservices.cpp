#include "fakeservices.h"

FakeServices::FakeServices()
{
    ctx.services.settings = &settings;
    ctx.services.player = &player;
    ctx.services.dialogs = &dialogs;
    ctx.services.tray = &tray;
    ctx.services.resolver = [](const QString &, const QString &, bool) { return QString(); };
}

void FakeServices::wireEverything()
{
    ctx.services.http = &http;
    ctx.services.browser = &browser;
    ctx.services.downloader = &downloader;
    ctx.services.launcher = &launcher;
    ctx.services.fileAssociation = &association;
    ctx.services.instanceLock = &lock;
}
