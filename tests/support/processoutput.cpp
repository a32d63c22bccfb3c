// SPDX-License-Identifier: GPL-3.0-or-later
#include "processoutput.h"

#include <QStringList>
#include <QTest>

const QString &ProcessOutput::read()
{
    text_ += QString::fromUtf8(process_.readAllStandardOutput());
    text_ += QString::fromUtf8(process_.readAllStandardError());
    return text_;
}

bool ProcessOutput::waitFor(const std::function<bool(const QString &)> &done, int ms)
{
    return QTest::qWaitFor([&] { return done(read()); }, ms);
}

bool ProcessOutput::waitForLine(const QString &line, int ms)
{
    return waitFor([&](const QString &text) { return text.split(QLatin1Char('\n')).contains(line); }, ms);
}

void stopProcesses(std::initializer_list<QProcess *> processes)
{
    for (QProcess *p : processes)
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
}
