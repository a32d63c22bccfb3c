// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/processlauncher.h"

// QProcess::startDetached in a chosen working folder: the started program
// outlives the player.
class QtProcessLauncher : public ProcessLauncher {
public:
    bool startDetached(const QString &program, const QStringList &args,
                       const QString &workingDir) override;
};
