// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/appcontext.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "net/qtdownloader.h"
#include "net/qthttpclient.h"
#include "desktop/qtprocesslauncher.h"
#include "support/fakeservices.h"
#include "system/updater.h"
#include "windows/updaterwindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString kHost = "updates.test";
const QString kManifestUrl = "http://updates.test/player/version.ini";

QByteArray manifestText(int version, const QStringList &fileLines, bool withNotes = true)
{
    QString s = "Liravo程序更新说明\r\n最新版本号：" + QString::number(version) + "\r\n";
    if (withNotes)
        s += "更新的内容：\r\n播放更稳定\r\n界面更清楚\r\n";
    if (!fileLines.isEmpty())
        s += "更新的文件：\r\n" + fileLines.join("\r\n") + "\r\n";
    return s.toUtf8();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

class UpdaterTest : public ::testing::Test {
protected:
    UpdaterTest()
        : program(scratch.path() + "/program"), copyPath(scratch.path() + "/cache/version.ini")
    {
        QDir().mkpath(program);
    }
    Updater make() { return Updater(downloader, launcher, dialogs, program, copyPath); }
    // Loads the manifest and runs the update the user agrees to.
    Updater::UpdateResult agreedUpdate(Updater &u)
    {
        u.load(kManifestUrl);
        dialogs.messageAnswers << Dialogs::Answer::Yes;
        return u.update();
    }

    QTemporaryDir scratch;
    QString program;
    QString copyPath;
    FakeDownloader downloader;
    FakeProcessLauncher launcher;
    FakeDialogs dialogs;
};

TEST_F(UpdaterTest, LoadReadsTheCopyAndDeletesItOrReportsNothingFetched)
{
    Updater u = make();
    writeFile(copyPath, manifestText(20990101, {})); // stale copy of an earlier run
    EXPECT_EQ(u.load(kManifestUrl), Updater::LoadResult::NotFetched);
    EXPECT_FALSE(QFile::exists(copyPath));

    downloader.files[kManifestUrl] = manifestText(20140601, {"甲：http://h.test/a.txt"});
    ASSERT_EQ(u.load(kManifestUrl), Updater::LoadResult::Ready);
    EXPECT_EQ(u.manifest().newestVersion, 20140601);
    EXPECT_EQ(u.manifest().files.size(), 1);
    EXPECT_FALSE(QFile::exists(copyPath));

    downloader.files[kManifestUrl] = "\r\nLiravo程序更新说明\r\n";
    EXPECT_EQ(u.load(kManifestUrl), Updater::LoadResult::Rejected);
    EXPECT_EQ(u.manifest().errorLine, 1);
}

TEST_F(UpdaterTest, ConfirmedUpdateDownloadsWritesScriptAndStartsItInProgramFolder)
{
    downloader.files[kManifestUrl] =
        manifestText(20140601, {"主程序：http://h.test/p/Liravo", "帮助：http://h.test/p/help.txt"});
    downloader.files["http://h.test/p/Liravo"] = "new program";
    downloader.files["http://h.test/p/help.txt"] = "new help";
    writeFile(program + "/Liravo", "old program");
    QFile::setPermissions(program + "/Liravo", QFile::permissions(program + "/Liravo")
                                                   | QFileDevice::ExeOwner);
    Updater u = make();
    ASSERT_EQ(u.load(kManifestUrl), Updater::LoadResult::Ready);

    dialogs.messageAnswers << Dialogs::Answer::Yes;
    QStringList labels;
    bool confirmedBeforeDownloads = false;
    Updater::Hooks hooks;
    hooks.confirmed = [&] { confirmedBeforeDownloads = downloader.requested.size() == 1; };
    hooks.downloading = [&](const QString &l) { labels << l; };
    QList<qint64> progress;
    hooks.progress = [&](qint64 got, qint64 total) { progress << got << total; };
    EXPECT_EQ(u.update(hooks), Updater::UpdateResult::Started);
    EXPECT_EQ(progress, (QList<qint64>{11, 11, 8, 8}));

    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text, "该操作将会关闭程序，是否进行？");
    EXPECT_EQ(dialogs.asked[0].title, "Liravo");
    EXPECT_EQ(dialogs.asked[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_TRUE(confirmedBeforeDownloads);
    EXPECT_EQ(labels, (QStringList{"主程序", "帮助"}));
    EXPECT_EQ(readAll(program + "/temp/Liravo"), "new program");
    EXPECT_EQ(readAll(program + "/temp/help.txt"), "new help");
    EXPECT_TRUE(QFile::permissions(program + "/temp/Liravo") & QFileDevice::ExeOwner);
    EXPECT_EQ(readAll(program + "/copyfile.bat"), Updater::scriptText());
    ASSERT_EQ(launcher.started.size(), 1);
    EXPECT_EQ(launcher.started[0].program, "/bin/sh");
    EXPECT_EQ(launcher.started[0].args, QStringList{program + "/copyfile.bat"});
    EXPECT_EQ(launcher.started[0].workingDir, program);
}

TEST_F(UpdaterTest, NothingIsMadeInTheProgramFolderBeforeTheUserAgrees)
{
    downloader.files[kManifestUrl] = manifestText(20140601, {"甲：http://h.test/a.txt"});
    Updater u = make();
    u.load(kManifestUrl);
    QStringList whileAsking;
    dialogs.onAsk = [&](const FakeDialogs::Asked &) {
        whileAsking = QDir(program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    };
    EXPECT_EQ(u.update(), Updater::UpdateResult::Declined);
    EXPECT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(whileAsking.isEmpty()) << whileAsking.join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(program + "/temp"));
    EXPECT_EQ(downloader.requested.size(), 1); // the manifest only
    EXPECT_FALSE(QFile::exists(program + "/copyfile.bat"));
    EXPECT_TRUE(launcher.started.isEmpty());
}

// dpkg's database: one <package>.list per package, a path a line.
TEST(UpdaterPackage, KnowsWhatThePackageManagerInstalled)
{
    QTemporaryDir info;
    writeFile(info.path() + "/liravo.list", "/.\n/usr\n/usr/bin\n/usr/bin/liravo\n"
                                            "/usr/lib/x86_64-linux-gnu/liravo");
    writeFile(info.path() + "/other:amd64.list", "/opt/other\n/opt/other/bin/run\n");
    writeFile(info.path() + "/stray.md5sums", "0123  opt/liravo/liravo\n/opt/liravo\n");
    const struct {
        QStringList paths;
        bool packaged;
    } cases[] = {
        {{"/usr/bin"}, true},
        {{"/usr/bin/liravo"}, true},
        {{"/usr/bin/"}, true},                            // the same folder
        {{"/usr/lib/x86_64-linux-gnu/liravo"}, true},     // the last line has no newline
        {{"/opt/other/bin/run"}, true},
        {{"/home/u/liravo", "/usr/bin/liravo"}, true},
        {{"/usr/bin/liravo2"}, false},                    // whole lines only
        {{"/usr/b"}, false},
        {{"/opt/liravo"}, false},                         // only *.list files count
        {{"/home/u/liravo", "/home/u/liravo/liravo"}, false},
        {{""}, false},
        {{}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Updater::installedByPackage(c.paths, info.path()), c.packaged)
            << c.paths.join(' ').toStdString();
    EXPECT_FALSE(Updater::installedByPackage({"/usr/bin"}, info.path() + "/missing"));
}

TEST_F(UpdaterTest, UnsafeFileNamesAreSkippedAndLeftoversDropped)
{
    downloader.files[kManifestUrl] = manifestText(
        20140601, {"甲：http://h.test/", "乙：http://h.test/..", "丙：http://h.test/..\\..\\x",
                   "丁：http://h.test/ok.txt"});
    downloader.files["http://h.test/ok.txt"] = "ok";
    writeFile(program + "/temp/stale.dll", "from an interrupted update");
    Updater u = make();
    EXPECT_EQ(agreedUpdate(u), Updater::UpdateResult::Started);
    EXPECT_EQ(downloader.requested, (QStringList{kManifestUrl, "http://h.test/ok.txt"}));
    EXPECT_EQ(u.skipped().size(), 3);
    EXPECT_EQ(QDir(program + "/temp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"ok.txt"});
}

TEST_F(UpdaterTest, FailedDownloadInstallsNothingAndSaysSo)
{
    downloader.files[kManifestUrl] =
        manifestText(20140601, {"甲：http://h.test/a.txt", "乙：http://h.test/missing.txt"});
    downloader.files["http://h.test/a.txt"] = "a";
    Updater u = make();
    EXPECT_EQ(agreedUpdate(u), Updater::UpdateResult::DownloadFailed);
    EXPECT_FALSE(QFileInfo::exists(program + "/temp"));
    EXPECT_FALSE(QFile::exists(program + "/copyfile.bat"));
    EXPECT_TRUE(launcher.started.isEmpty());
    ASSERT_EQ(dialogs.asked.size(), 2);
    EXPECT_TRUE(dialogs.asked[1].text.contains("乙"));
}

TEST_F(UpdaterTest, UnwritableProgramFolderIsReportedBeforeAskingOrDownloading)
{
    downloader.files[kManifestUrl] = manifestText(20140601, {"甲：http://h.test/a.txt"});
    downloader.files["http://h.test/a.txt"] = "a";
    // A program "folder" that is a file cannot take a temp folder, even for root.
    writeFile(scratch.path() + "/blocked", "");
    Updater u(downloader, launcher, dialogs, scratch.path() + "/blocked", copyPath);
    u.load(kManifestUrl);
    EXPECT_EQ(u.update(), Updater::UpdateResult::FolderNotWritable);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(dialogs.asked[0].text.contains("无法写入程序文件夹"));
    EXPECT_EQ(downloader.requested.size(), 1);
    EXPECT_TRUE(launcher.started.isEmpty());
}

TEST_F(UpdaterTest, NewerVersionWithoutFilesStillRunsTheScript)
{
    downloader.files[kManifestUrl] = manifestText(20140601, {});
    launcher.succeed = false;
    Updater u = make();
    // A script that cannot be started is said, and the program stays.
    EXPECT_EQ(agreedUpdate(u), Updater::UpdateResult::ScriptFailed);
    EXPECT_EQ(launcher.started.size(), 1);
    EXPECT_FALSE(QFile::exists(program + "/copyfile.bat"));
    launcher.succeed = true;
    dialogs.messageAnswers << Dialogs::Answer::Yes;
    EXPECT_EQ(u.update(), Updater::UpdateResult::Started);
    EXPECT_EQ(downloader.requested.size(), 1);
}

TEST_F(UpdaterTest, NamesOfTheUpdateMachineryAreRefusedAndShown)
{
    downloader.files[kManifestUrl] = manifestText(
        20140601, {"甲：http://h.test/copyfile.bat", "乙：http://h.test/temp", "丙：http://h.test/COPYFILE.BAT",
                   "丁：http://h.test/copyfile.log", "戊：http://h.test/Liravo.liravo-old",
                   "己：http://h.test/ok.txt"});
    for (const QString n : {"copyfile.bat", "temp", "COPYFILE.BAT", "copyfile.log",
                            "Liravo.liravo-old", "ok.txt"})
        downloader.files["http://h.test/" + n] = "echo pwned";
    Updater u = make();
    EXPECT_EQ(agreedUpdate(u), Updater::UpdateResult::Started);
    EXPECT_EQ(downloader.requested, (QStringList{kManifestUrl, "http://h.test/ok.txt"}));
    EXPECT_EQ(u.skipped().size(), 5);
    EXPECT_EQ(readAll(program + "/copyfile.bat"), Updater::scriptText());
    ASSERT_EQ(dialogs.count("message"), 2);
    for (const QString n : {"copyfile.bat", "temp", "COPYFILE.BAT", "Liravo.liravo-old"})
        EXPECT_TRUE(dialogs.asked[1].text.contains(n)) << n.toStdString();
}

TEST_F(UpdaterTest, LinkedTempIsReplacedNeverEntered)
{
    const QString elsewhere = scratch.path() + "/precious";
    writeFile(elsewhere + "/photo.jpg", "mine");
    ASSERT_TRUE(QFile::link(elsewhere, program + "/temp"));
    downloader.files[kManifestUrl] = manifestText(20140601, {"甲：http://h.test/a.txt"});
    downloader.files["http://h.test/a.txt"] = "a";
    Updater u = make();
    EXPECT_EQ(agreedUpdate(u), Updater::UpdateResult::Started);
    EXPECT_EQ(readAll(elsewhere + "/photo.jpg"), "mine");
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files), QStringList{"photo.jpg"});
    EXPECT_FALSE(QFileInfo(program + "/temp").isSymLink());
    EXPECT_EQ(readAll(program + "/temp/a.txt"), "a");
}

// The script itself, in a scratch program folder: it installs everything or,
// when a copy fails (here the disk runs full), stops there, installs nothing
// (liba.so was staged fine, yet stays old), and says so at the next start.
TEST(UpdateScript, InstallsAllOrNothing)
{
    struct Case {
        const char *what;
        int fileSizeLimitBlocks; // 0: none
        bool installed;
    };
    const QByteArray big(200 * 1024, 'n');
    for (const Case k : {Case{"room enough", 0, true}, Case{"disk runs full", 40, false}}) {
        QTemporaryDir scratch;
        const QString program = scratch.path() + "/program";
        writeFile(program + "/liba.so", "old a");
        writeFile(program + "/libb.so", "old b");
        writeFile(program + "/temp/liba.so", "new a");
        writeFile(program + "/temp/libb.so", big);
        writeFile(program + "/temp/added.txt", "added");
        writeFile(program + "/copyfile.bat", Updater::scriptText());
        QProcess sh;
        sh.setWorkingDirectory(program);
        const QString limit = k.fileSizeLimitBlocks
            ? QString("ulimit -f %1; ").arg(k.fileSizeLimitBlocks) : QString();
        sh.start("/bin/sh", {"-c", limit + "exec /bin/sh ./copyfile.bat"});
        ASSERT_TRUE(sh.waitForFinished(20000)) << k.what;
        EXPECT_EQ(sh.exitCode() == 0, k.installed) << k.what;
        EXPECT_EQ(readAll(program + "/liba.so"), k.installed ? "new a" : "old a") << k.what;
        EXPECT_EQ(readAll(program + "/libb.so"), k.installed ? big : "old b") << k.what;
        EXPECT_EQ(QFile::exists(program + "/added.txt"), k.installed) << k.what;
        EXPECT_FALSE(QFileInfo::exists(program + "/temp")) << k.what;
        QStringList left = QDir(program).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QStringList expected = {"liba.so", "libb.so"};
        expected << (k.installed ? "added.txt" : "copyfile.log");
        expected.sort();
        EXPECT_EQ(left, expected) << k.what;
        const QString report = Updater::takeFailureReport(program);
        EXPECT_EQ(report.isEmpty(), k.installed) << k.what;
        if (!k.installed) {
            EXPECT_TRUE(report.contains("libb.so")) << report.toStdString();
        }
        EXPECT_FALSE(QFile::exists(program + "/copyfile.log"));
    }
}

TEST(QtDownloader, WritesOnlyCompleteSuccessfulResponses)
{
    QTemporaryDir dir;
    FakeHttpClient http;
    http.respond("http://h.test/ok", "body");
    http.respond("http://h.test/404", "<html>not found</html>", 404);
    http.fail("http://h.test/cut", HttpClient::Error::Incomplete, "cut off");
    QtDownloader d(http);
    QString why;
    EXPECT_TRUE(d.download("http://h.test/ok", dir.path() + "/ok", &why));
    EXPECT_EQ(readAll(dir.path() + "/ok"), "body");

    writeFile(dir.path() + "/kept", "old");
    EXPECT_FALSE(d.download("http://h.test/404", dir.path() + "/kept", &why));
    EXPECT_TRUE(why.contains("404"));
    EXPECT_FALSE(d.download("http://h.test/cut", dir.path() + "/kept", &why));
    EXPECT_EQ(why, "cut off");
    EXPECT_FALSE(d.download("http://h.test/none", dir.path() + "/new", &why));
    EXPECT_EQ(readAll(dir.path() + "/kept"), "old");
    EXPECT_FALSE(QFile::exists(dir.path() + "/new"));
}

class UpdaterWindowTest : public ::testing::Test {
protected:
    UpdaterWindowTest() : settings(backend, "Liravo")
    {
        backend.write("Liravo", "版本更新", "当前版本", "20140529");
        backend.write("Liravo", "网站", "主页", kHost);
        nav.onExitProgram = [this] { ++exits; };
        QDir().mkpath(scratch.path() + "/program");
        window.setProgramFolder(scratch.path() + "/program");
        window.setManifestCopyPath(scratch.path() + "/version.ini");
    }
    QString text(const char *name) { return window.findChild<QLabel *>(name)->text(); }
    QString notes() { return window.findChild<QPlainTextEdit *>("Text1")->toPlainText(); }
    QPushButton *button() { return window.findChild<QPushButton *>("cmd确定更新"); }

    QTemporaryDir scratch;
    MemorySettingsBackend backend;
    Settings settings;
    FakeDialogs dialogs;
    FakeDownloader downloader;
    FakeProcessLauncher launcher;
    FakeNavigator nav;
    int exits = 0;
    UpdaterWindow window{settings, dialogs, downloader, launcher, nav};
};

TEST_F(UpdaterWindowTest, DesignTextsStayWhenNothingIsFetched)
{
    EXPECT_EQ(window.objectName(), "frm更新程序");
    EXPECT_EQ(window.windowTitle(), "检查更新");
    window.loadManifest();
    EXPECT_EQ(downloader.requested, QStringList{kManifestUrl});
    EXPECT_EQ(text("Label1"), "最新版本：v2.1");
    EXPECT_EQ(text("Label2"), "当前版本：v2.1");
    // The box keeps its design text and says why nothing came.
    EXPECT_EQ(notes(), "没有更新说明\n无法取得更新信息：not found: " + kManifestUrl);
    EXPECT_FALSE(button()->isEnabled());
}

TEST_F(UpdaterWindowTest, WithoutASiteItSaysSoAndFetchesNothing)
{
    backend.write("Liravo", "网站", "主页", " ");
    window.loadManifest();
    EXPECT_TRUE(downloader.requested.isEmpty());
    EXPECT_EQ(text("Label1"), "最新版本：未知");
    EXPECT_EQ(text("Label2"), "当前版本：20140529");
    EXPECT_EQ(notes(), "没有设置更新网站，无法检查更新。");
    EXPECT_FALSE(button()->isEnabled());
}

TEST_F(UpdaterWindowTest, NewerVersionShowsNotesAndEnablesButton)
{
    downloader.files[kManifestUrl] = manifestText(20140601, {"甲：http://h.test/a.txt"});
    downloader.files["http://h.test/a.txt"] = QByteArray(5000, 'a');
    window.loadManifest();
    EXPECT_EQ(text("Label1"), "最新版本：20140601");
    EXPECT_EQ(text("Label2"), "当前版本：20140529");
    EXPECT_EQ(notes(), "播放更稳定\n界面更清楚");
    ASSERT_TRUE(button()->isEnabled());

    dialogs.onAsk = [this](const FakeDialogs::Asked &) { EXPECT_TRUE(button()->isEnabled()); };
    button()->click(); // answered No
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(button()->isEnabled());

    dialogs.onAsk = nullptr;
    dialogs.messageAnswers << Dialogs::Answer::Yes;
    button()->click();
    EXPECT_FALSE(button()->isEnabled());
    EXPECT_EQ(notes(), "正在升级文件：\n甲");
    // The progress bar followed the download and is put away after it.
    auto *bar = window.findChild<QProgressBar *>("progressDownload");
    EXPECT_EQ(bar->format(), "已下载 4 KB");
    EXPECT_EQ(bar->value(), 4);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(launcher.started.size(), 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(UpdaterWindowTest, EqualVersionDisablesButton)
{
    downloader.files[kManifestUrl] = manifestText(20140529, {}, false);
    window.loadManifest();
    EXPECT_EQ(text("Label1"), "最新版本：20140529");
    EXPECT_EQ(notes(), "");
    EXPECT_FALSE(button()->isEnabled());
}

TEST_F(UpdaterWindowTest, RejectedManifestClosesOnlyTheWindow)
{
    downloader.files[kManifestUrl] = "<html>\r\n<body>error</body>\r\n";
    window.show();
    window.loadManifest();
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(dialogs.asked[0].text.startsWith("程序出错:第1行") ||
                dialogs.asked[0].text.startsWith("程序出错:更新清单第1行"))
        << dialogs.asked[0].text.toStdString();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(exits, 0);

    // Reopening fetches anew.
    downloader.files[kManifestUrl] = manifestText(20140601, {});
    window.show();
    QElapsedTimer t;
    t.start();
    while (text("Label1") == "最新版本：v2.1" && t.elapsed() < 2000)
        QCoreApplication::processEvents();
    EXPECT_EQ(text("Label1"), "最新版本：20140601");
    EXPECT_EQ(downloader.requested.size(), 2);
}

// A player in a folder the package manager owns is updated by it: the window
// says so and fetches and writes nothing.
TEST_F(UpdaterWindowTest, PackagedPlayerPointsToThePackageManager)
{
    if (!Updater::installedByPackage({"/usr/bin"}))
        GTEST_SKIP() << "no dpkg database lists /usr/bin here";
    window.setProgramFolder("/usr/bin");
    window.show();
    window.loadManifest();
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text,
              "Liravo 由系统的软件包管理器安装，请通过软件包管理器（例如 apt）更新。");
    EXPECT_EQ(dialogs.asked[0].title, "检查更新");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(downloader.requested.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(scratch.path() + "/version.ini"));
    EXPECT_EQ(QDir(scratch.path() + "/program").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{});
}

// The whole update against the loopback server into a scratch installation,
// with the real HTTP client, downloader and launcher: the generated script
// must leave the new files and nothing of itself behind.
TEST(UpdateEndToEnd, ReplacesScratchInstallationFiles)
{
    QTemporaryDir scratch;
    const QString served = scratch.path() + "/served";
    const QString program = scratch.path() + "/Liravo Player"; // a blank in the path
    writeFile(program + "/Liravo", "#!/bin/sh\necho old\n");
    QFile::setPermissions(program + "/Liravo", QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ExeOwner);
    writeFile(program + "/readme.txt", "old readme");
    writeFile(program + "/keep.txt", "untouched");
    writeFile(served + "/files/Liravo", "#!/bin/sh\necho new\n");
    writeFile(served + "/files/readme.txt", "new readme");
    writeFile(served + "/files/added.txt", "added");

    QProcess server;
    server.start("python3", {QString(LIRAVO_SOURCE_DIR) + "/tools/loopback_server.py", "--files",
                             served});
    ASSERT_TRUE(server.waitForStarted(5000));
    QByteArray first;
    while (!first.contains('\n') && server.waitForReadyRead(5000))
        first += server.readAllStandardOutput();
    ASSERT_TRUE(first.startsWith("PORT ")) << first.constData();
    const QString host = "127.0.0.1:" + QString::fromLatin1(first.mid(5).trimmed());
    const QString base = "http://" + host + "/files/";
    writeFile(served + "/player/version.ini",
              manifestText(20140601, {"主程序：" + base + "Liravo", "说明：" + base + "readme.txt",
                                      "新增：" + base + "added.txt"}));

    MemorySettingsBackend backend;
    Settings settings(backend, "Liravo");
    backend.write("Liravo", "版本更新", "当前版本", "20140529");
    backend.write("Liravo", "网站", "主页", host);
    QtHttpClient http;
    http.setTimeoutMs(5000);
    QtDownloader downloader(http);
    QtProcessLauncher launcher;
    FakeDialogs dialogs;
    dialogs.messageAnswers << Dialogs::Answer::Yes;
    int exits = 0;
    FakeNavigator nav;
    nav.onExitProgram = [&] { ++exits; };

    UpdaterWindow window(settings, dialogs, downloader, launcher, nav);
    window.setProgramFolder(program);
    window.setManifestCopyPath(scratch.path() + "/version.ini");
    window.loadManifest();
    ASSERT_TRUE(window.findChild<QPushButton *>("cmd确定更新")->isEnabled());
    window.confirmUpdate();
    ASSERT_EQ(exits, 1);

    QElapsedTimer t;
    t.start();
    while ((QFile::exists(program + "/copyfile.bat") || QFileInfo::exists(program + "/temp"))
           && t.elapsed() < 10000)
        QThread::msleep(20);
    server.kill();
    server.waitForFinished();

    EXPECT_EQ(readAll(program + "/Liravo"), "#!/bin/sh\necho new\n");
    EXPECT_TRUE(QFile::permissions(program + "/Liravo") & QFileDevice::ExeOwner);
    EXPECT_EQ(readAll(program + "/readme.txt"), "new readme");
    EXPECT_EQ(readAll(program + "/added.txt"), "added");
    EXPECT_EQ(readAll(program + "/keep.txt"), "untouched");
    EXPECT_FALSE(QFile::exists(program + "/copyfile.bat"));
    EXPECT_FALSE(QFileInfo::exists(program + "/temp"));
}
