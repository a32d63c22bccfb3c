// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Starts a detached program (the updater's replacement script).
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual bool startDetached(const QString &program, const QStringList &args,
                               const QString &workingDir) = 0;
};
