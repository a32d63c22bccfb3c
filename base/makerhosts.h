// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class Settings;

// Where the maker's web site and blog live. Both are settings entries under
// the fixed application name, section "网站", so a packager can point them at
// real hosts and tests at a loopback server. Nothing is built in: while an
// entry is missing or empty there is no such site, and the player neither
// opens nor shows an address of it.
//   "网站"/"主页": the maker's site (home page, update manifest)
//   "网站"/"博客": the maker's blog (the first-run introduction page)
QString makerSiteHost(Settings &settings);

// "http://<site host>/", or "" without a site: the tray tooltip while an
// untitled song plays.
QString makerSiteUrl(Settings &settings);
// "http://<blog host>/?post=105", or "" without a blog: opened once, on the
// very first run.
QString firstRunPageUrl(Settings &settings);
