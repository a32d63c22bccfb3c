// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Installs Qt's own Simplified Chinese texts (the buttons of message and input
// boxes, the file and colour dialogs) on app, whatever the user's locale: the
// player speaks Chinese throughout. Returns false, after a warning in the
// log, when the translation files are not installed; Qt's English stays then.
bool installQtChineseTranslations(QCoreApplication &app);
