// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/qtinstancelock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

QString QtInstanceLock::lockFolder()
{
    QString dir;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/liravo-%1").arg(::getuid());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                   | QFileDevice::ExeOwner);
    return dir;
}

QtInstanceLock::QtInstanceLock(const QString &name)
    : path_(lockFolder() + QLatin1Char('/') + name + QStringLiteral(".lock")),
      lock_(std::make_unique<QLockFile>(path_))
{
    // Only a dead holder makes a lock stale, never its age: the player runs
    // for days.
    lock_->setStaleLockTime(0);
}

QtInstanceLock::~QtInstanceLock() = default;

bool QtInstanceLock::tryLock()
{
    if (lock_->isLocked())
        return true;
    return lock_->tryLock(0);
}

void QtInstanceLock::unlock()
{
    lock_->unlock();
}
