// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qtprocesslauncher.h"

#include <QProcess>

bool QtProcessLauncher::startDetached(const QString &program, const QStringList &args,
                                      const QString &workingDir)
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    p.setWorkingDirectory(workingDir);
    // The child must not hold the player's stdin/stdout open after it ends.
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    return p.startDetached();
}
