// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/notifier.h"

#include <QList>

// Keeps every notice it is given.
class RecordingNotifier : public Notifier {
public:
    void notify(const SongNotice &n) override { notices.append(n); }
    QList<SongNotice> notices;
};
