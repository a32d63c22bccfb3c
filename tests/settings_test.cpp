// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/handoff.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "online/onlinesettings.h"
#include "store/memorysettingsbackend.h"
#include "store/sqlitesettingsbackend.h"
#include "support/envguard.h"
#include "store/storefailure.h"
#include "support/unprivileged.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QElapsedTimer>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include "support/fakeservices.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {


QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The store as another program sees it: a plain sqlite3 connection.
QStringList queryColumn(const QString &dbPath, const char *sql)
{
    QStringList out;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                const auto *t = sqlite3_column_text(st, 0);
                out << (t ? QString::fromUtf8(reinterpret_cast<const char *>(t)) : "<null>");
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

} // namespace

TEST(Settings, DefaultsTurnIntoText)
{
    MemorySettingsBackend store;
    Settings s(store, "Liravo");
    EXPECT_EQ(storedEntry(s, Settings::sharedAppName(), "设置", "播放模式", "列表播放"), "列表播放");
    EXPECT_EQ(storedEntry(s, Settings::sharedAppName(), "设置", "播放模式", QString("x")), "x");
    EXPECT_EQ(s.value(SettingKeys::fontColor), "255");
    EXPECT_EQ(s.number(SettingKeys::backColor), 0);
    EXPECT_TRUE(s.flag(SettingKeys::firstRun));
    EXPECT_EQ(store.size(), 0) << "reading must not create entries";

    storeEntry(s, Settings::sharedAppName(), "歌集", "最后的歌集地址", "");
    EXPECT_EQ(storedEntry(s, Settings::sharedAppName(), "歌集", "最后的歌集地址", "default"), "");
    storeEntry(s, Settings::sharedAppName(), "设置", "firstRun", "False");
    EXPECT_FALSE(s.flag(SettingKeys::firstRun));
}

TEST(Settings, RenamedExecutableMovesOnlyItsOwnEntries)
{
    MemorySettingsBackend store;
    Settings old(store, "Liravo");
    storeEntry(old, old.programAppName(), "设置", "顶部标题", "我的播放器");
    storeEntry(old, Settings::sharedAppName(), "设置", "播放模式", "随机播放");
    Settings renamed(store, "player2");
    EXPECT_EQ(storedEntry(renamed, renamed.programAppName(), "设置", "顶部标题", "Liravo"), "Liravo");
    EXPECT_EQ(storedEntry(renamed, Settings::sharedAppName(), "设置", "播放模式", "列表播放"), "随机播放");
    EXPECT_EQ(storedEntry(old, old.programAppName(), "设置", "顶部标题", "Liravo"), "我的播放器");
}

// The command became "liravo"; what the program stored as "Liravo" stays
// where it is, and only a genuinely different name gets entries of its own.
TEST(Settings, ProgramFileNamesMapToTheirApplication)
{
    const struct {
        const char *file;
        const char *app;
    } cases[] = {
        {"liravo", "Liravo"},       {"Liravo", "Liravo"},     {"LIRAVO", "Liravo"},
        {"", "Liravo"},             {"liravo.old", "liravo.old"}, {"player2", "player2"},
        {"liravo-beta", "liravo-beta"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Settings::appNameOfFile(c.file), c.app) << c.file;

    MemorySettingsBackend store;
    Settings before(store, Settings::appNameOfFile("Liravo"));
    before.store(SettingKeys::topCaption, "我的播放器");
    Settings after(store, Settings::appNameOfFile("liravo"));
    EXPECT_EQ(after.value(SettingKeys::topCaption), "我的播放器");
}

// Every key reads its default under its own application name while missing,
// and writes where a raw look-up of that application, section and key finds it.
TEST(SettingKeys, EachEntryLivesUnderItsApplicationWithItsDefault)
{
    MemorySettingsBackend backend;
    Settings s(backend, QStringLiteral("Liravo-2"));
    const struct {
        const SettingKey &key;
        QString app;
        QString fallback;
    } cases[] = {
        {SettingKeys::playMode, "Liravo", "列表播放"},
        {SettingKeys::topCaption, "Liravo-2", "Liravo"},
        {SettingKeys::fontColor, "Liravo-2", "255"},
        {SettingKeys::backColor, "Liravo-2", "0"},
        {SettingKeys::volume, "Liravo", "80"},
        {SettingKeys::firstRun, "Liravo", "True"},
        {SettingKeys::currentVersion, "Liravo", "0"},
        {SettingKeys::handOffShow, "Liravo", "false"},
        {SettingKeys::httpTimeoutMs, "Liravo", QString::number(kDefaultHttpTimeoutMs)},
        {SettingKeys::searchLimitMs, "Liravo", QString::number(kDefaultSearchLimitMs)},
        {SettingKeys::maxReplyBytes, "Liravo", QString::number(kDefaultMaxReplyBytes)},
    };
    for (const auto &c : cases) {
        const QString section = QString::fromUtf8(c.key.section);
        const QString name = QString::fromUtf8(c.key.name);
        EXPECT_EQ(s.value(c.key), c.fallback) << name.toStdString();
        s.store(c.key, QStringLiteral("x"));
        EXPECT_EQ(backend.read(c.app, section, name).value_or("<missing>"), QStringLiteral("x"))
            << name.toStdString();
        // Text that is no number or boolean gives the default as one.
        EXPECT_EQ(s.number(c.key), Settings::toInt(c.fallback)) << name.toStdString();
        EXPECT_EQ(s.flag(c.key), Settings::toBool(c.fallback)) << name.toStdString();
    }
    // The song list window has a default of its own for the same caption.
    MemorySettingsBackend empty;
    Settings fresh(empty, QStringLiteral("Liravo"));
    EXPECT_EQ(fresh.value(SettingKeys::topCaption,
                          QString::fromUtf8(SettingKeys::songListTopCaptionFallback)),
              QStringLiteral("Liravo音乐播放器"));
}

TEST(HandOffProtocol, FileAndShowRequestAreTakenOnce)
{
    MemorySettingsBackend backend;
    Settings s(backend, QStringLiteral("Liravo"));
    HandOff running(s), second(s);

    EXPECT_FALSE(second.runningCopyKnown());
    running.recordRunning(4711);
    EXPECT_TRUE(second.runningCopyKnown());

    ASSERT_TRUE(second.leaveFile(QStringLiteral("/music/a.mp3"), 0));
    // The slot holds one file: a second one waits, then gives up and says why.
    EXPECT_FALSE(second.leaveFile(QStringLiteral("/music/b.mp3"), 0));
    EXPECT_FALSE(second.why().isEmpty());
    EXPECT_EQ(running.takeFile().value_or("<none>"), QStringLiteral("/music/a.mp3"));
    EXPECT_FALSE(running.takeFile().has_value());

    EXPECT_FALSE(running.takeShowRequest());
    second.requestShow();
    EXPECT_TRUE(running.takeShowRequest());
    EXPECT_FALSE(running.takeShowRequest());
    EXPECT_EQ(backend.read("Liravo", "程序多开", "show").value_or("<missing>"), QStringLiteral("false"));
}

TEST(Settings, Conversions)
{
    for (const char *t : {"True", "true", "TRUE", "tRuE", " True ", "1", "-1", "2.5"})
        EXPECT_TRUE(Settings::toBool(t)) << t;
    for (const char *t : {"False", "false", "FALSE", "0", "0.0"})
        EXPECT_FALSE(Settings::toBool(t, true)) << t;
    for (const char *t : {"", "yes", "Truex", "nan"}) {
        EXPECT_TRUE(Settings::toBool(t, true)) << t;
        EXPECT_FALSE(Settings::toBool(t, false)) << t;
    }
    EXPECT_EQ(Settings::toInt("20140529"), 20140529);
    EXPECT_EQ(Settings::toInt(" -5 "), -5);
    EXPECT_EQ(Settings::toInt("16777215"), 16777215);
    EXPECT_EQ(Settings::toInt("12.0"), 12);
    EXPECT_EQ(Settings::toInt("abc", 7), 7);
    EXPECT_EQ(Settings::toInt("", 3), 3);
    EXPECT_EQ(Settings::toInt("1e300", 4), 4);
}

TEST(Settings, ExecutableBaseNameIsTheRunningFile)
{
    EXPECT_EQ(Settings::executableBaseName(),
              QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    EXPECT_EQ(Settings::executableBaseName(), "settings_test");
}

TEST(SqliteSettings, StoresPersistsAndKeepsThePlainSchema)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/sub/settings.sqlite3";
    {
        SqliteSettingsBackend db(path);
        ASSERT_TRUE(db.isOpen()) << db.errorText().toStdString();
        EXPECT_FALSE(db.read("Liravo", "设置", "播放模式").has_value());
        db.write("Liravo", "设置", "播放模式", "单曲循环");
        db.write("Liravo", "设置", "播放模式", "列表循环");
        db.write("Liravo", "歌集", "最后的歌集地址", QString());
        db.write("player2", "设置", "播放模式", "随机播放");
        db.write("Liravo", "设置", "emoji", "😀𠀀\n|x");
        EXPECT_EQ(db.read("Liravo", "设置", "播放模式").value_or(""), "列表循环");
    }
    SqliteSettingsBackend again(path);
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.read("Liravo", "设置", "播放模式").value_or(""), "列表循环");
    EXPECT_EQ(again.read("player2", "设置", "播放模式").value_or(""), "随机播放");
    EXPECT_EQ(again.read("Liravo", "设置", "emoji").value_or(""), "😀𠀀\n|x");
    const auto empty = again.read("Liravo", "歌集", "最后的歌集地址");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_FALSE(again.read("liravo", "设置", "播放模式").has_value()) << "names are exact";

    EXPECT_EQ(queryColumn(path, "SELECT sql FROM sqlite_master WHERE name='settings'"),
              QStringList({"CREATE TABLE settings(app TEXT, section TEXT, key TEXT, value TEXT, "
                           "PRIMARY KEY(app, section, key))"}));
    EXPECT_EQ(queryColumn(path, "PRAGMA journal_mode"), QStringList({"wal"}));
    EXPECT_EQ(queryColumn(path, "SELECT value FROM settings WHERE app='Liravo' AND "
                                "section='歌集'"),
              QStringList({""}));
}

TEST(SqliteSettings, ValueWrittenAsNullByHandReadsAsEmpty)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/s.sqlite3";
    SqliteSettingsBackend db(path);
    ASSERT_TRUE(db.isOpen());
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "INSERT INTO settings VALUES('Liravo','a','b',NULL)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    const auto v = db.read("Liravo", "a", "b");
    ASSERT_TRUE(v.has_value());
    EXPECT_TRUE(v->isEmpty());
}

TEST(SqliteSettings, DefaultPathFollowsXdgConfigHome)
{
    EnvGuard xdg("XDG_CONFIG_HOME");
    EnvGuard home("HOME");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/cfg"));
    EXPECT_EQ(SqliteSettingsBackend::defaultPath(), dir.path() + "/cfg/Liravo/settings.sqlite3");
    auto store = SqliteSettingsBackend::openDefault();
    store->write("Liravo", "设置", "firstRun", "False");
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/cfg/Liravo/settings.sqlite3"));
    EXPECT_NE(dynamic_cast<SqliteSettingsBackend *>(store.get()), nullptr);

    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(dir.path() + "/home"));
    EXPECT_EQ(SqliteSettingsBackend::defaultPath(),
              dir.path() + "/home/.config/Liravo/settings.sqlite3");
    qputenv("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(SqliteSettingsBackend::defaultPath(),
              dir.path() + "/home/.config/Liravo/settings.sqlite3");
}

// The only test in this program that makes the store fall back, so the
// once-per-process message can be counted.
TEST(SqliteSettings, UnusableFilesFallBackToMemoryUntouchedAndSaySoOnce)
{
    QTemporaryDir dir;
    const QString corrupt = dir.path() + "/corrupt.sqlite3";
    QByteArray junk = "this is not a database, but it is the user's file\n";
    junk = junk.repeated(200);
    {
        QFile f(corrupt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    // A database whose header survives but whose pages are garbage.
    const QString damaged = dir.path() + "/damaged.sqlite3";
    {
        SqliteSettingsBackend db(damaged);
        ASSERT_TRUE(db.isOpen());
        db.write("Liravo", "a", "b", "c");
    }
    {
        sqlite3 *raw = nullptr;
        sqlite3_open(QFile::encodeName(damaged).constData(), &raw);
        sqlite3_exec(raw, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(100);
        f.write(QByteArray(3000, '\xa5'));
    }
    const QByteArray damagedBytes = readAll(damaged);
    const QString folderInTheWay = dir.path() + "/folder.sqlite3";
    ASSERT_TRUE(QDir().mkpath(folderInTheWay));
    const QString fileAsFolder = dir.path() + "/plainfile";
    {
        QFile f(fileAsFolder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    testing::internal::CaptureStderr();
    for (const QString &p : QStringList{corrupt, damaged, folderInTheWay, fileAsFolder + "/s.sqlite3"}) {
        auto store = SqliteSettingsBackend::open(p);
        ASSERT_NE(store, nullptr);
        EXPECT_EQ(dynamic_cast<SqliteSettingsBackend *>(store.get()), nullptr)
            << p.toStdString();
        // The player still runs: defaults, and what it saves lasts the run.
        Settings s(*store, "Liravo");
        EXPECT_EQ(storedEntry(s, "Liravo", "设置", "播放模式", "列表播放"), "列表播放");
        storeEntry(s, "Liravo", "设置", "播放模式", "单曲播放");
        EXPECT_EQ(storedEntry(s, "Liravo", "设置", "播放模式", "列表播放"), "单曲播放");
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(readAll(corrupt), junk);
    EXPECT_EQ(readAll(damaged), damagedBytes);
    EXPECT_TRUE(QFileInfo(folderInTheWay).isDir());

    const QString text = QString::fromStdString(err);
    EXPECT_EQ(text.count("settings store"), 1) << err;
}

// Faults a real desktop meets: another program holding the store, a full
// disk, a read-only folder. Nothing the user set may be lost, and the window
// never waits long.
namespace {

// A second connection that holds the write lock until released.
class WriteLock {
public:
    explicit WriteLock(const QString &path)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &db_);
        ok_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() { release(); sqlite3_close(db_); }
    bool held() const { return ok_; }
    void release()
    {
        if (ok_)
            sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        ok_ = false;
    }

private:
    sqlite3 *db_ = nullptr;
    bool ok_ = false;
};

QString storedIn(const QString &path, const QString &key)
{
    SqliteSettingsBackend fresh(path);
    return fresh.read("Liravo", "s", key).value_or("<missing>");
}

} // namespace

TEST(SqliteSettingsFaults, LockedStoreWaitsBrieflyKeepsWritesAndTellsOncePerStretch)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/settings.sqlite3";
    SqliteSettingsBackend db(path);
    ASSERT_TRUE(db.isOpen());
    Settings s(db, "Liravo");
    QStringList told;
    s.setCannotSaveHandler([&](const QString &why) { told << why; });

    auto lock = std::make_unique<WriteLock>(path);
    ASSERT_TRUE(lock->held());
    QElapsedTimer clock;
    for (int i = 0; i < 3; ++i) {
        clock.start();
        storeEntry(s, "Liravo", "s", QString("k%1").arg(i), QString::number(i));
        EXPECT_LT(clock.elapsed(), 400) << "a save must not freeze the window";
        EXPECT_EQ(storedEntry(s, "Liravo", "s", QString("k%1").arg(i), ""), QString::number(i));
    }
    EXPECT_EQ(told.size(), 1);
    EXPECT_TRUE(told.value(0).contains("另一个程序锁定") && told.value(0).contains(path))
        << told.value(0).toStdString();
    EXPECT_EQ(storedIn(path, "k0"), "<missing>");

    // The lock ends: the next save writes everything kept.
    lock.reset();
    storeEntry(s, "Liravo", "s", "k3", "3");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(storedIn(path, QString("k%1").arg(i)), QString::number(i));

    // A new stretch of failures is told again; a retry alone clears it.
    lock = std::make_unique<WriteLock>(path);
    storeEntry(s, "Liravo", "s", "k4", "4");
    EXPECT_EQ(told.size(), 2);
    lock.reset();
    EXPECT_TRUE(s.retryUnsaved());
    EXPECT_EQ(storedIn(path, "k4"), "4");
}

// Every refusal SQLite reports reaches the user as its cause in Chinese, the
// file named; extended codes fall into their family.
TEST(SqliteSettingsFaults, FailuresNameTheirCauseInChinese)
{
    const QString path = "/home/用户/.config/Liravo/settings.sqlite3";
    const struct {
        int code;
        const char *cause;
    } cases[] = {
        {SQLITE_READONLY, "只读"},     {SQLITE_READONLY_DIRECTORY, "只读"},
        {SQLITE_FULL, "磁盘已满"},     {SQLITE_BUSY, "锁定"},
        {SQLITE_BUSY_SNAPSHOT, "锁定"}, {SQLITE_LOCKED, "锁定"},
        {SQLITE_CANTOPEN, "无法打开"}, {SQLITE_IOERR, "磁盘出错"},
        {SQLITE_IOERR_WRITE, "磁盘出错"}, {SQLITE_PERM, "权限"},
        {SQLITE_NOTADB, "损坏"},       {SQLITE_MISMATCH, "SQLite 错误 20"},
    };
    for (const auto &c : cases) {
        const QString text = storeFailureText(c.code, path);
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.cause))) << c.code << " " << text.toStdString();
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
        // No English from SQLite's own messages.
        EXPECT_FALSE(text.contains("database") || text.contains("attempt")) << text.toStdString();
    }
}

TEST(SqliteSettingsFaults, HandOffSlotIsTakenOnceAndNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/settings.sqlite3";
    SqliteSettingsBackend a(path), b(path);
    const QString app = "Liravo", sec = "程序多开", key = "歌曲文件";
    using R = SettingsBackend::PutResult;
    EXPECT_FALSE(a.take(app, sec, key).has_value());
    EXPECT_EQ(a.putIfEmpty(app, sec, key, "/m/b.yyu"), R::Written);
    EXPECT_EQ(b.putIfEmpty(app, sec, key, "/m/c.yyu"), R::Occupied);
    EXPECT_EQ(b.take(app, sec, key).value_or("<none>"), "/m/b.yyu");
    EXPECT_FALSE(a.take(app, sec, key).has_value());
    EXPECT_EQ(a.read(app, sec, key).value_or("<missing>"), "");
    EXPECT_EQ(b.putIfEmpty(app, sec, key, "/m/c.yyu"), R::Written);

    // Locked: nothing taken or written, nothing lost, no long wait.
    WriteLock lock(path);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(a.take(app, sec, key).has_value());
    EXPECT_EQ(a.putIfEmpty(app, sec, key, "/m/d.yyu"), R::Failed);
    EXPECT_LT(clock.elapsed(), 800);
    lock.release();
    EXPECT_EQ(a.take(app, sec, key).value_or("<none>"), "/m/c.yyu");
}

TEST(SqliteSettingsFaults, FullDiskKeepsEveryValueUntilThereIsRoomAgain)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/settings.sqlite3";
    { SqliteSettingsBackend create(path); }
    const QByteArray big(2000, 'v');
    // The disk runs full in a child: a file size limit makes every write past
    // it fail the way a full disk does.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SqliteSettingsBackend db(path);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{};
        getrlimit(RLIMIT_FSIZE, &lim);
        const rlimit small{64 * 1024, lim.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        for (int i = 0; i < 400; ++i)
            db.write("Liravo", "s", QString("k%1").arg(i), QString::number(i) + big);
        int code = 0;
        if (!db.hasUnsaved())
            code = 10; // the limit never bit
        for (int i = 0; i < 400; ++i)
            if (db.read("Liravo", "s", QString("k%1").arg(i)) != QString::number(i) + big)
                code = 11;
        setrlimit(RLIMIT_FSIZE, &lim);
        if (code == 0 && !db.retryUnsaved())
            code = 12;
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    SqliteSettingsBackend fresh(path);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(fresh.read("Liravo", "s", QString("k%1").arg(i)).value_or("<missing>"),
                  QString::number(i) + big)
            << i;
}

TEST(SqliteSettingsFaults, ReadOnlyStoreIsStillRead)
{
    for (const bool folder : {true, false}) {
        runUnprivileged([folder] {
            QTemporaryDir dir;
            const QString path = dir.path() + "/Liravo/settings.sqlite3";
            {
                SqliteSettingsBackend db(path);
                db.write("Liravo", "设置", "播放模式", "单曲循环");
            }
            const QString locked = folder ? QFileInfo(path).absolutePath() : path;
            QFile::setPermissions(locked, folder ? QFile::ReadOwner | QFile::ExeOwner
                                                 : QFile::ReadOwner);
            auto store = SqliteSettingsBackend::open(path);
            EXPECT_NE(dynamic_cast<SqliteSettingsBackend *>(store.get()), nullptr) << folder;
            Settings s(*store, "Liravo");
            int told = 0;
            QString why;
            s.setCannotSaveHandler([&](const QString &text) { ++told; why = text; });
            EXPECT_EQ(storedEntry(s, "Liravo", "设置", "播放模式", "列表播放"), "单曲循环") << folder;
            storeEntry(s, "Liravo", "设置", "播放模式", "随机播放");
            EXPECT_EQ(storedEntry(s, "Liravo", "设置", "播放模式", "列表播放"), "随机播放");
            EXPECT_EQ(told, 1) << folder;
            // The user reads the cause in Chinese, with the file it concerns.
            EXPECT_TRUE(why.contains("只读") && why.contains(path)) << why.toStdString();
            store.reset();
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
    }
}

// Two running copies: each sees what the other saved at once, and neither
// loses a write to the other's lock.
namespace {
constexpr int kRounds = 150;
constexpr int kBurst = 300;
const char kChildEnv[] = "LIRAVO_SETTINGS_CHILD_DB";

bool waitFor(SettingsBackend &db, const QString &key, const QString &value)
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        // As the playback tick does: a write the other's lock refused goes now.
        db.retryUnsaved();
        if (db.read("Liravo", "peer", key) == value)
            return true;
        QThread::usleep(200);
    }
    return false;
}

// Runs on both sides: "me" writes its keys, then answers the other's.
void pingPongAndBurst(SettingsBackend &db, const QString &me, const QString &other, bool leads)
{
    for (int i = 0; i < kRounds; ++i) {
        const QString v = QString::number(i);
        if (leads) {
            db.write("Liravo", "peer", me + "ping", v);
            ASSERT_TRUE(waitFor(db, other + "ping", v)) << me.toStdString() << " round " << i;
        } else {
            ASSERT_TRUE(waitFor(db, other + "ping", v)) << me.toStdString() << " round " << i;
            db.write("Liravo", "peer", me + "ping", v);
        }
    }
    // Both write as fast as they can, at the same time.
    for (int i = 0; i < kBurst; ++i) {
        db.write("Liravo", "burst", me + QString::number(i), QString::number(i * 7));
        db.write("Liravo", "burst", "shared", me);
    }
    db.write("Liravo", "peer", me + "done", "1");
    ASSERT_TRUE(waitFor(db, other + "done", "1"));
}
} // namespace

TEST(SqliteSettingsTwoProcesses, Child)
{
    const QString path = qEnvironmentVariable(kChildEnv);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only when started by the two-process test";
    SqliteSettingsBackend db(path);
    ASSERT_TRUE(db.isOpen());
    pingPongAndBurst(db, "child", "parent", false);
}

TEST(SqliteSettingsTwoProcesses, SeeEachOthersWritesAtOnce)
{
    if (qEnvironmentVariableIsSet(kChildEnv))
        GTEST_SKIP();
    QTemporaryDir dir;
    const QString path = dir.path() + "/settings.sqlite3";
    SqliteSettingsBackend db(path);
    ASSERT_TRUE(db.isOpen());

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildEnv, path);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=SqliteSettingsTwoProcesses.Child"});
    ASSERT_TRUE(child.waitForStarted());
    pingPongAndBurst(db, "parent", "child", true);
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();

    // Everything both wrote is in the file, seen by a fresh reader.
    SqliteSettingsBackend fresh(path);
    for (const QString who : {"parent", "child"})
        for (int i = 0; i < kBurst; ++i)
            ASSERT_EQ(fresh.read("Liravo", "burst", who + QString::number(i)).value_or("missing"),
                      QString::number(i * 7))
                << who.toStdString() << i;
    const QString shared = fresh.read("Liravo", "burst", "shared").value_or("");
    EXPECT_TRUE(shared == "parent" || shared == "child");
}
