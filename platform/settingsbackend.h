#pragma once
#include <QString>
#include <optional>

// Per-user persistent key-value storage named by application, section and key.
// SqliteSettingsBackend is the real one; MemorySettingsBackend serves tests.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual std::optional<QString> read(const QString &app, const QString &section,
                                        const QString &key) = 0;
    virtual void write(const QString &app, const QString &section, const QString &key,
                       const QString &value) = 0;
};
