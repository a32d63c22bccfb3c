#include "platform/sqlitesettingsbackend.h"

#include "platform/memorysettingsbackend.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <sqlite3.h>

namespace {

// Long enough to ride out another copy's write, short enough that a stuck
// lock does not freeze the window for long.
constexpr int kBusyTimeoutMs = 3000;

std::atomic_bool g_fallbackReported{false};

void reportOnce(const QString &text)
{
    if (!g_fallbackReported.exchange(true))
        std::fprintf(stderr, "Liravo: %s\n", text.toLocal8Bit().constData());
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
    // stays untouched.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(path_).constData(), &db_, flags, nullptr) != SQLITE_OK) {
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
    if (sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(QStringLiteral("cannot switch %1 to WAL mode").arg(path_));
        return false;
    }
    // In WAL mode NORMAL loses nothing on a program crash, only on power loss,
    // and keeps a save well under a millisecond.
    sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    const char *schema = "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, "
                         "value TEXT, PRIMARY KEY(app, section, key))";
    if (sqlite3_exec(db_, schema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(QStringLiteral("cannot create the settings table in %1").arg(path_));
        return false;
    }
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
        auto it = unsaved_.constFind(keyOf(app, section, key));
        if (it != unsaved_.constEnd())
            return *it;
    }
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

void SqliteSettingsBackend::write(const QString &app, const QString &section, const QString &key,
                                  const QString &value)
{
    bool ok = false;
    if (upsert_) {
        // An empty QString has no data pointer; bind it as '' so that the
        // entry exists and is empty rather than NULL.
        const QString v = value.isNull() ? QStringLiteral("") : value;
        ok = bindText(upsert_, 1, app) && bindText(upsert_, 2, section)
            && bindText(upsert_, 3, key) && bindText(upsert_, 4, v)
            && sqlite3_step(upsert_) == SQLITE_DONE;
        sqlite3_reset(upsert_);
        sqlite3_clear_bindings(upsert_);
    }
    if (ok) {
        // The database now holds the newer value.
        if (!unsaved_.isEmpty())
            unsaved_.remove(keyOf(app, section, key));
        return;
    }
    unsaved_.insert(keyOf(app, section, key), value);
    warnWriteFailure(db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("not open"));
}

QString SqliteSettingsBackend::keyOf(const QString &app, const QString &section,
                                     const QString &key)
{
    return app + QChar(1) + section + QChar(1) + key;
}

void SqliteSettingsBackend::warnWriteFailure(const QString &what)
{
    if (writeWarned_)
        return;
    writeWarned_ = true;
    std::fprintf(stderr, "Liravo: cannot save settings to %s (%s); changes last until exit\n",
                 QFile::encodeName(path_).constData(), what.toLocal8Bit().constData());
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
