// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/memorysettingsbackend.h"

std::optional<QString> MemorySettingsBackend::read(const QString &app, const QString &section,
                                                   const QString &key)
{
    auto it = values_.constFind(entryKey(app, section, key));
    if (it == values_.constEnd())
        return std::nullopt;
    return *it;
}

void MemorySettingsBackend::write(const QString &app, const QString &section, const QString &key,
                                  const QString &value)
{
    values_.insert(entryKey(app, section, key), value);
}
