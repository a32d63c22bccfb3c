#include "base/handoff.h"

#include "base/settings.h"
#include "base/settingsbackend.h"
#include "base/settingskeys.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {
// The backend works on plain names; these give a key's three.
struct Place {
    QString app, section, name;
};
Place placeOf(Settings &s, const SettingKey &key)
{
    return {s.appFor(key), QString::fromUtf8(key.section), QString::fromUtf8(key.name)};
}
} // namespace

void HandOff::recordRunning(qint64 windowHandle)
{
    settings_.store(SettingKeys::handOffHandle, QString::number(windowHandle));
}

std::optional<QString> HandOff::takeFile()
{
    const Place p = placeOf(settings_, SettingKeys::handOffFile);
    return settings_.backend().take(p.app, p.section, p.name);
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
    const Place p = placeOf(settings_, SettingKeys::handOffFile);
    SettingsBackend &store = settings_.backend();
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        switch (store.putIfEmpty(p.app, p.section, p.name, file)) {
        case SettingsBackend::PutResult::Written:
            return true;
        case SettingsBackend::PutResult::Occupied:
            why_ = QStringLiteral("正在运行的 Liravo 没有及时取走上一个文件。");
            break;
        case SettingsBackend::PutResult::Failed:
            why_ = QStringLiteral("设置无法写入：%1").arg(store.why());
            break;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
}
