// SPDX-License-Identifier: GPL-3.0-or-later
#include "privatebus.h"

PrivateBus::PrivateBus()
{
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000))
        return;
    QByteArray line;
    while (!line.contains('\n') && daemon_.waitForReadyRead(5000))
        line += daemon_.readAllStandardOutput();
    address_ = QString::fromUtf8(line).trimmed();
}

PrivateBus::~PrivateBus()
{
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000))
            daemon_.kill();
        daemon_.waitForFinished(3000);
    }
}
