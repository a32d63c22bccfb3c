// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/settingsbackend.h"

#include <QHash>
#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The per-user settings store: one SQLite database, one plain table
// settings(app, section, key, value) that the sqlite3 tool can read. WAL mode
// lets two running copies see each other's writes at once. A lock is waited
// on only briefly; a write the store refuses (locked, full disk, read-only) is
// kept, read back from memory, and written with the next write, retry or at
// exit. Statements stay prepared, because the playback timer reads entries ten
// times a second.
class SqliteSettingsBackend : public SettingsBackend {
public:
    // Opens (creating when missing) the database at path. isOpen() tells
    // whether it worked; a file that is not a usable database is left as it is.
    explicit SqliteSettingsBackend(const QString &path);
    ~SqliteSettingsBackend() override;
    SqliteSettingsBackend(const SqliteSettingsBackend &) = delete;
    SqliteSettingsBackend &operator=(const SqliteSettingsBackend &) = delete;

    bool isOpen() const { return db_ != nullptr; }
    const QString &errorText() const { return error_; }
    const QString &path() const { return path_; }

    std::optional<QString> read(const QString &app, const QString &section,
                                const QString &key) override;
    void write(const QString &app, const QString &section, const QString &key,
               const QString &value) override;
    std::optional<QString> take(const QString &app, const QString &section,
                                const QString &key) override;
    PutResult putIfEmpty(const QString &app, const QString &section, const QString &key,
                         const QString &value) override;
    bool retryUnsaved() override;
    void dropUnsaved() override { unsaved_.clear(); }
    bool hasUnsaved() const override { return !unsaved_.isEmpty(); }
    QString why() const override { return why_; }

    // $XDG_CONFIG_HOME/Liravo/settings.sqlite3, or ~/.config/... when unset.
    static QString defaultPath();
    // The store at path, or, when it cannot be used, an in-memory store so the
    // player still runs on defaults; the reason goes to stderr once per process.
    static std::unique_ptr<SettingsBackend> open(const QString &path);
    static std::unique_ptr<SettingsBackend> openDefault() { return open(defaultPath()); }

private:
    struct Unsaved {
        QString app, section, key, value;
    };

    bool setUp();
    bool openDatabase(int flags, const QByteArray &name);
    void fail(const QString &what);
    void warnWriteFailure();
    void noteError();
    std::optional<QString> readStored(const QString &app, const QString &section,
                                      const QString &key);
    bool upsert(const QString &app, const QString &section, const QString &key,
                const QString &value);
    bool begin();
    bool commit();
    void rollback();

    QString path_;
    QString error_;
    sqlite3 *db_ = nullptr;
    sqlite3_stmt *select_ = nullptr;
    sqlite3_stmt *upsert_ = nullptr;
    // Values whose write the database refused (locked, full disk, read-only):
    // kept here so this run still sees what it saved, until they are written.
    QHash<QString, Unsaved> unsaved_;
    QString why_;
    bool writeWarned_ = false;
};
