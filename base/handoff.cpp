// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/handoff.h"

#include "base/settings.h"
#include "base/settingskeys.h"

#include <QDeadlineTimer>
#include <QThread>

void HandOff::recordRunning(qint64 windowHandle)
{
    settings_.store(SettingKeys::handOffHandle, QString::number(windowHandle));
}

std::optional<QString> HandOff::takeFile()
{
    return settings_.take(SettingKeys::handOffFile);
}

bool HandOff::takeShowRequest()
{
    // Written as the lower-case words and compared exactly.
    if (settings_.value(SettingKeys::handOffShow) != QLatin1String("true"))
        return false;
    settings_.store(SettingKeys::handOffShow, QStringLiteral("false"));
    return true;
}

bool HandOff::runningCopyKnown()
{
    return settings_.number(SettingKeys::handOffHandle) != 0;
}

void HandOff::requestShow()
{
    settings_.store(SettingKeys::handOffShow, QStringLiteral("true"));
}

bool HandOff::leaveFile(const QString &file, int waitMs)
{
    // One slot: a file another copy handed over just before and the running
    // copy has not taken yet must not be overwritten, so wait for the slot to
    // empty (the running copy takes it within a tick), but not for ever.
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        QString failure;
        switch (settings_.putIfEmpty(SettingKeys::handOffFile, file, &failure)) {
        case Settings::PutResult::Written:
            return true;
        case Settings::PutResult::Occupied:
            why_ = QStringLiteral("正在运行的 Liravo 没有及时取走上一个文件。");
            break;
        case Settings::PutResult::Failed:
            why_ = QStringLiteral("设置无法写入：%1").arg(failure);
            break;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
}
