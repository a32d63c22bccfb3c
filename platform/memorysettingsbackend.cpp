#include "platform/memorysettingsbackend.h"

QString MemorySettingsBackend::keyOf(const QString &app, const QString &section,
                                     const QString &key)
{
    // U+0001 cannot appear in names the program uses, so the join is unambiguous.
    return app + QChar(1) + section + QChar(1) + key;
}

std::optional<QString> MemorySettingsBackend::read(const QString &app, const QString &section,
                                                   const QString &key)
{
    auto it = values_.constFind(keyOf(app, section, key));
    if (it == values_.constEnd())
        return std::nullopt;
    return *it;
}

void MemorySettingsBackend::write(const QString &app, const QString &section, const QString &key,
                                  const QString &value)
{
    values_.insert(keyOf(app, section, key), value);
}
