// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>

// Per-user persistent key-value storage named by application, section and key.
// SqliteSettingsBackend is the real one; MemorySettingsBackend serves tests.
class SettingsBackend {
public:
    enum class PutResult { Written, Occupied, Failed };

    virtual ~SettingsBackend() = default;

    // One text per entry for a backend's own maps. U+0001 cannot appear in
    // names the program uses, so the join is unambiguous.
    static QString entryKey(const QString &app, const QString &section, const QString &key)
    {
        return app + QChar(1) + section + QChar(1) + key;
    }
    virtual std::optional<QString> read(const QString &app, const QString &section,
                                        const QString &key) = 0;
    virtual void write(const QString &app, const QString &section, const QString &key,
                       const QString &value) = 0;

    // Reads the entry and empties it in one step, so that of two takers only
    // one gets the value. Nothing (and nothing changed) when it is missing or
    // empty, or the store is busy now.
    virtual std::optional<QString> take(const QString &app, const QString &section,
                                        const QString &key)
    {
        std::optional<QString> v = read(app, section, key);
        if (!v || v->isEmpty())
            return std::nullopt;
        write(app, section, key, QString());
        return v;
    }
    // Writes value only when the entry is missing or empty, in one step.
    virtual PutResult putIfEmpty(const QString &app, const QString &section, const QString &key,
                                 const QString &value)
    {
        const std::optional<QString> v = read(app, section, key);
        if (v && !v->isEmpty())
            return PutResult::Occupied;
        write(app, section, key, value);
        return PutResult::Written;
    }

    // Writes the store refused are kept and tried again here. True when
    // nothing is left unsaved; why() then tells the last reason.
    virtual bool retryUnsaved() { return true; }
    virtual bool hasUnsaved() const { return false; }
    // Gives up what the store refused, so nothing is retried at exit.
    virtual void dropUnsaved() {}
    virtual QString why() const { return {}; }
};
