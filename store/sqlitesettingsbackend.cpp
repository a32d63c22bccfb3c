// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sqlitesettingsbackend.h"

#include "store/storefailure.h"

#include "store/memorysettingsbackend.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>
#include <QtGlobal>
#include <atomic>
#include <sqlite3.h>

namespace {

Q_LOGGING_CATEGORY(lcSettings, "liravo.settings")

// Every call runs on the window thread: long enough to ride out another
// copy's write, short enough that the user never feels it. A write that still
// finds the store locked is kept and tried again later.
constexpr int kBusyTimeoutMs = 100;
// At exit nothing waits on the window any more, so the last try may wait longer.
constexpr int kExitBusyTimeoutMs = 2000;

std::atomic_bool g_fallbackReported{false};

void reportOnce(const QString &text)
{
    if (!g_fallbackReported.exchange(true))
        qCWarning(lcSettings).noquote() << "Liravo:" << text;
}

bool bindText(sqlite3_stmt *st, int index, const QString &text)
{
    // UTF-16 in native order is what QString holds; SQLITE_TRANSIENT because
    // the caller's string may not outlive the statement's next step.
    return sqlite3_bind_text16(st, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                               SQLITE_TRANSIENT)
        == SQLITE_OK;
}

} // namespace

SqliteSettingsBackend::SqliteSettingsBackend(const QString &path) : path_(path)
{
    if (!setUp()) {
        if (select_)
            sqlite3_finalize(select_);
        if (upsert_)
            sqlite3_finalize(upsert_);
        select_ = upsert_ = nullptr;
        if (db_)
            sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

SqliteSettingsBackend::~SqliteSettingsBackend()
{
    if (db_ && !unsaved_.isEmpty()) {
        sqlite3_busy_timeout(db_, kExitBusyTimeoutMs);
        if (!retryUnsaved())
            qCWarning(lcSettings).noquote()
                << "Liravo: settings not saved at exit:" << unsaved_.size() << "values (" << why_
                << ")";
    }
    sqlite3_finalize(select_);
    sqlite3_finalize(upsert_);
    if (db_)
        sqlite3_close_v2(db_);
}

void SqliteSettingsBackend::fail(const QString &what)
{
    error_ = what;
    if (db_)
        error_ += QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db_));
}

bool SqliteSettingsBackend::openDatabase(int flags, const QByteArray &name)
{
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    if (sqlite3_open_v2(name.constData(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        fail(QStringLiteral("cannot open %1").arg(path_));
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // Reading the schema is what reveals a file that is not a database, before
    // anything is written to it.
    if (sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr)
        != SQLITE_OK) {
        fail(QStringLiteral("%1 is not a usable settings database").arg(path_));
        return false;
    }
    return true;
}

bool SqliteSettingsBackend::setUp()
{
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        error_ = QStringLiteral("cannot create folder %1").arg(info.absolutePath());
        return false;
    }
    if (info.exists() && !info.isFile()) {
        error_ = QStringLiteral("%1 is not a file").arg(path_);
        return false;
    }
    // Opening never truncates: a file that is not a database fails below and
    // stays untouched. A store that cannot be written (read-only file or
    // folder) is still read: first as usual, then read-only, and last as an
    // unchanging file, which needs none of the side files a folder would hold.
    const QByteArray name = QFile::encodeName(path_);
    QUrl uri = QUrl::fromLocalFile(info.absoluteFilePath());
    uri.setQuery(QStringLiteral("immutable=1"));
    const bool opened =
        openDatabase(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, name)
        || (info.exists() && openDatabase(SQLITE_OPEN_READONLY, name))
        || (info.exists()
            && openDatabase(SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, uri.toEncoded()));
    if (!opened)
        return false;

    // Both need the write lock only the first time; on a store another copy
    // holds, or one that is read-only, they fail and the table is already there.
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    // In WAL mode NORMAL loses nothing on a program crash, only on power loss,
    // and keeps a save well under a millisecond.
    sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    const char *schema = "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, "
                         "value TEXT, PRIMARY KEY(app, section, key))";
    sqlite3_exec(db_, schema, nullptr, nullptr, nullptr);
    const char *sel = "SELECT value FROM settings WHERE app=?1 AND section=?2 AND key=?3";
    const char *ups = "INSERT INTO settings(app, section, key, value) VALUES(?1, ?2, ?3, ?4) "
                      "ON CONFLICT(app, section, key) DO UPDATE SET value=excluded.value";
    if (sqlite3_prepare_v3(db_, sel, -1, SQLITE_PREPARE_PERSISTENT, &select_, nullptr) != SQLITE_OK
        || sqlite3_prepare_v3(db_, ups, -1, SQLITE_PREPARE_PERSISTENT, &upsert_, nullptr)
            != SQLITE_OK) {
        fail(QStringLiteral("cannot use the settings table in %1").arg(path_));
        return false;
    }
    return true;
}

std::optional<QString> SqliteSettingsBackend::read(const QString &app, const QString &section,
                                                   const QString &key)
{
    if (!unsaved_.isEmpty()) {
        auto it = unsaved_.constFind(entryKey(app, section, key));
        if (it != unsaved_.constEnd())
            return it->value;
    }
    return readStored(app, section, key);
}

std::optional<QString> SqliteSettingsBackend::readStored(const QString &app,
                                                         const QString &section,
                                                         const QString &key)
{
    if (!select_)
        return std::nullopt;
    std::optional<QString> result;
    if (bindText(select_, 1, app) && bindText(select_, 2, section) && bindText(select_, 3, key)) {
        const int rc = sqlite3_step(select_);
        if (rc == SQLITE_ROW) {
            const void *text = sqlite3_column_text16(select_, 0);
            const int bytes = sqlite3_column_bytes16(select_, 0);
            // A NULL value (written by hand with the sqlite3 tool) reads as empty.
            result = text ? QString(static_cast<const QChar *>(text), bytes / 2) : QString();
        }
    }
    sqlite3_reset(select_);
    sqlite3_clear_bindings(select_);
    return result;
}

bool SqliteSettingsBackend::upsert(const QString &app, const QString &section, const QString &key,
                                   const QString &value)
{
    if (!upsert_)
        return false;
    // An empty QString has no data pointer; bind it as '' so that the entry
    // exists and is empty rather than NULL.
    const QString v = value.isNull() ? QStringLiteral("") : value;
    const bool ok = bindText(upsert_, 1, app) && bindText(upsert_, 2, section)
        && bindText(upsert_, 3, key) && bindText(upsert_, 4, v)
        && sqlite3_step(upsert_) == SQLITE_DONE;
    if (!ok)
        noteError();
    sqlite3_reset(upsert_);
    sqlite3_clear_bindings(upsert_);
    return ok;
}

void SqliteSettingsBackend::noteError()
{
    // The user reads this in a message box: the cause in Chinese, the file named.
    why_ = storeFailureText(db_ ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN, path_);
}

bool SqliteSettingsBackend::begin()
{
    if (db_ && sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    noteError();
    return false;
}

bool SqliteSettingsBackend::commit()
{
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    noteError();
    rollback();
    return false;
}

void SqliteSettingsBackend::rollback()
{
    if (!sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteSettingsBackend::write(const QString &app, const QString &section, const QString &key,
                                  const QString &value)
{
    if (unsaved_.isEmpty() && upsert(app, section, key, value))
        return;
    // Kept, so this run still sees it, and written with the others as soon
    // as the store takes writes again.
    unsaved_.insert(entryKey(app, section, key), Unsaved{app, section, key, value});
    if (!retryUnsaved())
        warnWriteFailure();
}

bool SqliteSettingsBackend::retryUnsaved()
{
    if (unsaved_.isEmpty())
        return true;
    if (!begin())
        return false;
    for (const Unsaved &u : std::as_const(unsaved_)) {
        if (!upsert(u.app, u.section, u.key, u.value)) {
            rollback();
            return false;
        }
    }
    if (!commit())
        return false;
    unsaved_.clear();
    writeWarned_ = false;
    return true;
}

std::optional<QString> SqliteSettingsBackend::take(const QString &app, const QString &section,
                                                   const QString &key)
{
    // Reading takes no lock; only a value that is there is worth the write
    // lock, so the playback tick never waits on a busy store for nothing.
    const std::optional<QString> peek = readStored(app, section, key);
    if (!peek || peek->isEmpty() || !begin())
        return std::nullopt;
    std::optional<QString> v = readStored(app, section, key);
    if (!v || v->isEmpty()) {
        rollback();
        return std::nullopt;
    }
    if (!upsert(app, section, key, QString()) || !commit()) {
        rollback();
        return std::nullopt;
    }
    unsaved_.remove(entryKey(app, section, key));
    return v;
}

SettingsBackend::PutResult SqliteSettingsBackend::putIfEmpty(const QString &app,
                                                             const QString &section,
                                                             const QString &key,
                                                             const QString &value)
{
    if (!begin())
        return PutResult::Failed;
    const std::optional<QString> v = readStored(app, section, key);
    if (v && !v->isEmpty()) {
        rollback();
        return PutResult::Occupied;
    }
    if (!upsert(app, section, key, value) || !commit()) {
        rollback();
        return PutResult::Failed;
    }
    return PutResult::Written;
}

void SqliteSettingsBackend::warnWriteFailure()
{
    // Once for each stretch of failures; a success in between starts anew.
    if (writeWarned_)
        return;
    writeWarned_ = true;
    qCWarning(lcSettings).noquote() << QStringLiteral(
        "Liravo: cannot save settings to %1 (%2); kept and tried again later")
                                           .arg(path_, why_);
}

QString SqliteSettingsBackend::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Liravo/settings.sqlite3");
}

std::unique_ptr<SettingsBackend> SqliteSettingsBackend::open(const QString &path)
{
    auto db = std::make_unique<SqliteSettingsBackend>(path);
    if (db->isOpen())
        return db;
    reportOnce(QStringLiteral("settings store unusable (%1); running on defaults, "
                              "nothing will be remembered")
                   .arg(db->errorText()));
    return std::make_unique<MemorySettingsBackend>();
}
