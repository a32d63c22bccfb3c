// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/loopbackserver.h"

#include <QDeadlineTimer>
#include <QFile>

LoopbackServer::LoopbackServer(const QStringList &extraArgs, const QString &script)
{
    QStringList args{script, QStringLiteral("--log"), dir_.filePath(QStringLiteral("requests.log"))};
    args += extraArgs;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"), args);
    if (!process_.waitForStarted(5000))
        return;
    // The first line is "PORT <n>".
    QDeadlineTimer deadline(10000);
    QByteArray line;
    while (!deadline.hasExpired() && !line.endsWith('\n')) {
        if (!process_.canReadLine())
            process_.waitForReadyRead(200);
        if (process_.canReadLine())
            line = process_.readLine();
    }
    if (line.startsWith("PORT "))
        port_ = line.mid(5).trimmed().toInt();
}

LoopbackServer::~LoopbackServer()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QStringList LoopbackServer::requests() const
{
    QFile f(dir_.filePath(QStringLiteral("requests.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
