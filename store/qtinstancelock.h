// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store/instancelock.h"

#include <QString>
#include <memory>

class QLockFile;

// One running copy per user: a QLockFile in the user's runtime folder. The
// lock names the holder's process, so a copy that crashed does not block the
// next start.
class QtInstanceLock : public InstanceLock {
public:
    // name: the lock file's base name (the executable's base name).
    explicit QtInstanceLock(const QString &name);
    ~QtInstanceLock() override;

    bool tryLock() override;
    void unlock() override;

    const QString &path() const { return path_; }
    // The folder the lock lives in: the runtime location, or a per-user
    // folder under the temporary folder where there is none.
    static QString lockFolder();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};
