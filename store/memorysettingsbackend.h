// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/settingsbackend.h"

#include <QHash>

// A settings store that lives in memory only: tests, and the fallback when the
// user's database cannot be opened.
class MemorySettingsBackend : public SettingsBackend {
public:
    std::optional<QString> read(const QString &app, const QString &section,
                                const QString &key) override;
    void write(const QString &app, const QString &section, const QString &key,
               const QString &value) override;

    int size() const { return values_.size(); }
    void clear() { values_.clear(); }

private:
    QHash<QString, QString> values_;
};
