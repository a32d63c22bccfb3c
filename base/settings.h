// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <optional>

class SettingsBackend;
struct SettingKey;

// get-setting / save-setting over a three-level store: application, section,
// key. Every value is text; defaults are turned into text when the entry is
// missing. Two application names are in use: sharedAppName() and programAppName().
class Settings {
public:
    Settings(SettingsBackend &backend, QString exeName);

    static QString sharedAppName() { return QStringLiteral("Liravo"); }
    // The running executable's base name (file name without folder, and on
    // Windows without extension), as appNameOfFile() gives it.
    const QString &programAppName() const { return exeName_; }
    static QString executableBaseName();
    // The application name a program file's settings are kept under.
    static QString appNameOfFile(const QString &fileName);

    // The same through the key table (base/settingskeys.h), which names
    // each entry's application, section, key and default once.
    QString appFor(const SettingKey &key) const;
    QString value(const SettingKey &key);
    QString value(const SettingKey &key, const QString &fallback);
    // The entry as a whole number or a boolean; text that is neither gives
    // the key's default as one.
    qint64 number(const SettingKey &key);
    bool flag(const SettingKey &key);
    void store(const SettingKey &key, const QString &value);

    // Conversions the callers apply to what the store holds.
    static bool toBool(const QString &text, bool fallback = false);  // "True"/"False", any case
    static qint64 toInt(const QString &text, qint64 fallback = 0);

    // The entry read and emptied in one step, so that of two takers only one
    // gets it (see SettingsBackend::take).
    std::optional<QString> take(const SettingKey &key);
    // Writes the entry only while it is empty; why the store failed, if it did.
    enum class PutResult { Written, Occupied, Failed };
    PutResult putIfEmpty(const SettingKey &key, const QString &value, QString *why = nullptr);

    // Writes kept after the store refused them are tried again (the playback
    // tick calls this). True when nothing is left unsaved.
    bool retryUnsaved();
    // Gives up writes the store refused (a copy that only hands a file over
    // has nothing of its own to keep, and must not wait for the store at exit).
    void dropUnsaved();
    // Called once when settings cannot be saved, and again only after they
    // could be saved in between; the window shows it to the user.
    void setCannotSaveHandler(std::function<void(const QString &why)> handler)
    {
        cannotSave_ = std::move(handler);
    }

private:
    QString get(const QString &app, const QString &section, const QString &key,
                const QString &def);
    void save(const QString &app, const QString &section, const QString &key,
              const QString &value);
    void noteOutcome();

    SettingsBackend &backend_;
    QString exeName_;
    static constexpr int kRetryPauseMs = 1000;

    std::function<void(const QString &)> cannotSave_;
    bool told_ = false;
    QElapsedTimer lastRetry_;
};
