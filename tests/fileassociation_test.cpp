// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/xdgfileassociation.h"
#include "support/fakes.h"
#include "support/unprivileged.h"
#include "system/associatemp3.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Points the XDG data and config homes at a scratch folder for one test.
class ScratchXdg {
public:
    ScratchXdg()
    {
        oldData_ = qgetenv("XDG_DATA_HOME");
        oldConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config()));
    }
    ~ScratchXdg()
    {
        qputenv("XDG_DATA_HOME", oldData_);
        qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
    QString data() const { return dir_.path() + "/data"; }
    QString config() const { return dir_.path() + "/config"; }
    QString desktopFile() const { return data() + "/applications/Liravo.desktop"; }
    QString mimeapps() const { return config() + "/mimeapps.list"; }

private:
    QTemporaryDir dir_;
    QByteArray oldData_, oldConfig_;
};

QString line(const QByteArray &file, const QString &key)
{
    for (const QString &l : QString::fromUtf8(file).split('\n')) {
        if (l.startsWith(key + "="))
            return l.mid(key.size() + 1);
    }
    return "<none>";
}

} // namespace

TEST(XdgFileAssociation, WritesDesktopEntryAndDefaultKeepingOtherChoices)
{
    ScratchXdg xdg;
    QDir().mkpath(xdg.config());
    {
        QFile f(xdg.mimeapps());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# mine\n[Default Applications]\ntext/plain=gedit.desktop\naudio/mpeg=vlc.desktop\n"
                "\n[Added Associations]\naudio/mpeg=vlc.desktop;\nimage/png=eog.desktop;\n");
    }
    XdgFileAssociation a;
    ASSERT_TRUE(a.associateMp3("/opt/liravo/Liravo")) << a.errorText().toStdString();

    const QByteArray entry = readAll(xdg.desktopFile());
    EXPECT_EQ(line(entry, "Exec"), "/opt/liravo/Liravo %f");
    EXPECT_TRUE(line(entry, "MimeType").split(';').contains("audio/mpeg"));
    EXPECT_EQ(line(entry, "Type"), "Application");

    const QByteArray first = readAll(xdg.mimeapps());
    EXPECT_EQ(first, "# mine\n[Default Applications]\ntext/plain=gedit.desktop\n"
                     "audio/mpeg=Liravo.desktop\n\n[Added Associations]\n"
                     "audio/mpeg=Liravo.desktop;vlc.desktop;\nimage/png=eog.desktop;\n");
    // Running it again leaves the same files.
    ASSERT_TRUE(a.associateMp3("/opt/liravo/Liravo"));
    EXPECT_EQ(readAll(xdg.mimeapps()), first);
    EXPECT_EQ(readAll(xdg.desktopFile()), entry);
}

TEST(XdgFileAssociation, CreatesMissingFoldersAndSections)
{
    ScratchXdg xdg;
    XdgFileAssociation a;
    ASSERT_TRUE(a.associateMp3("/usr/bin/Liravo"));
    EXPECT_EQ(readAll(xdg.mimeapps()), "[Default Applications]\naudio/mpeg=Liravo.desktop\n\n"
                                       "[Added Associations]\naudio/mpeg=Liravo.desktop;\n");
    EXPECT_EQ(XdgFileAssociation::withDefaultHandler("[Other]\r\nx=y", "audio/mpeg",
                                                     "Liravo.desktop"),
              "[Other]\r\nx=y\r\n\r\n[Default Applications]\r\naudio/mpeg=Liravo.desktop\r\n\r\n"
              "[Added Associations]\r\naudio/mpeg=Liravo.desktop;\r\n");
}

TEST(XdgFileAssociation, UnreadableListIsLeftAloneAndReported)
{
    runUnprivileged([] {
        ScratchXdg xdg;
        QDir().mkpath(xdg.config());
        QFile f(xdg.mimeapps());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Default Applications]\ntext/plain=gedit.desktop\n");
        f.close();
        QFile::setPermissions(xdg.mimeapps(), QFileDevice::WriteOwner);
        XdgFileAssociation a;
        EXPECT_FALSE(a.associateMp3("/usr/bin/Liravo"));
        EXPECT_FALSE(a.errorText().isEmpty());
        QFile::setPermissions(xdg.mimeapps(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(readAll(xdg.mimeapps()), "[Default Applications]\ntext/plain=gedit.desktop\n");
    });
}

TEST(XdgFileAssociation, ExecArgumentQuoting)
{
    EXPECT_EQ(XdgFileAssociation::execArgument("/usr/bin/Liravo"), "/usr/bin/Liravo");
    EXPECT_EQ(XdgFileAssociation::execArgument("/home/u/My Apps/Liravo"),
              "\"/home/u/My Apps/Liravo\"");
    // "$" and "\" are escaped for the quotes, then "\" again for the string value.
    EXPECT_EQ(XdgFileAssociation::execArgument("/a$b\\c/L"), "\"/a\\\\$b\\\\\\\\c/L\"");
    EXPECT_EQ(XdgFileAssociation::execArgument("/100%/L"), "/100%%/L");
    XdgFileAssociation a;
    EXPECT_FALSE(a.associateMp3("/bad\npath/Liravo"));
}

TEST(Mp3Association, RegistryValuesOfAWindowsBuild)
{
    const QList<RegistryValue> v = mp3RegistryValues("D:\\Player", "Liravo");
    ASSERT_EQ(v.size(), 5);
    EXPECT_EQ(v[0], (RegistryValue{".mp3", "mp3音频文件"}));
    EXPECT_EQ(v[1], (RegistryValue{"mp3音频文件\\DefaultIcon", "D:\\Player\\Liravo.exe,0"}));
    EXPECT_EQ(v[2], (RegistryValue{"mp3音频文件\\Shell", "open"}));
    EXPECT_EQ(v[3], (RegistryValue{"mp3音频文件\\Shell\\open", "用Liravo播放"}));
    EXPECT_EQ(v[4], (RegistryValue{"mp3音频文件\\Shell\\open\\Command",
                                   "D:\\Player\\Liravo.exe \"%1\""}));
    EXPECT_EQ(mp3RegistryValues("D:\\", "Liravo")[4].value, "D:\\Liravo.exe \"%1\"");
}

TEST(Mp3Association, CommandRegistersRunningProgramAndTellsTheOutcome)
{
    FakeFileAssociation fa;
    FakeDialogs dialogs;
    associateMp3(fa, dialogs);
    EXPECT_EQ(fa.registered, QStringList{QCoreApplication::applicationFilePath()});
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text,
              "mp3文件关联成功！\r\n如果关联不成功可以在打开方式上面再次关联！");
    EXPECT_EQ(dialogs.asked[0].title, "Liravo");
    EXPECT_EQ(dialogs.asked[0].buttons, Dialogs::Buttons::Ok);

    fa.succeed = false;
    associateMp3(fa, dialogs);
    EXPECT_TRUE(dialogs.asked[1].text.startsWith("mp3文件关联失败！"));
}

// What `cmake --install` puts on the system: the program, its menu entry
// offering MP3 files and song collections, the icon and the .yyu MIME type.
TEST(DesktopIntegration, InstallPutsEntryIconAndMimeTypeInPlace)
{
    QTemporaryDir dest;
    QProcess install;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DESTDIR", dest.path());
    install.setProcessEnvironment(env);
    install.start("cmake", {"--install", QFileInfo(LIRAVO_BINARY).absolutePath(), "--prefix",
                            "/usr"});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();

    const QString share = dest.path() + "/usr/share";
    EXPECT_TRUE(QFileInfo(dest.path() + "/usr/bin/liravo").isExecutable());
    // The manual, the licence terms and the changelog where Debian keeps them.
    EXPECT_TRUE(QFileInfo(dest.path() + "/usr/share/man/man1/liravo.1.gz").size() > 0);
    const QByteArray copyright = readAll(dest.path() + "/usr/share/doc/liravo/copyright");
    EXPECT_TRUE(copyright.startsWith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
    EXPECT_TRUE(copyright.contains("License: GPL-3.0-or-later"));
    EXPECT_TRUE(QFileInfo(dest.path() + "/usr/share/doc/liravo/changelog.gz").size() > 0);
    // The web client's module, where the installed program looks for it.
    const QStringList modules =
        QDir(dest.path() + "/usr").entryList({"lib*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    bool moduleFound = false;
    for (const QString &libdir : modules) {
        QDirIterator it(dest.path() + "/usr/" + libdir, {"libliravo_network.so"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            moduleFound = true;
            EXPECT_TRUE(path.endsWith("/liravo/libliravo_network.so")) << qPrintable(path);
        }
    }
    EXPECT_TRUE(moduleFound);
    const QByteArray entry = readAll(share + "/applications/Liravo.desktop");
    EXPECT_EQ(line(entry, "Exec"), "liravo %f");
    const QStringList types = line(entry, "MimeType").split(';');
    EXPECT_TRUE(types.contains("audio/mpeg"));
    EXPECT_TRUE(types.contains("application/x-liravo-collection"));
    EXPECT_EQ(line(entry, "Icon"), "liravo");
    EXPECT_TRUE(QFile::exists(share + "/icons/hicolor/48x48/apps/liravo.png"));
    const QByteArray mime = readAll(share + "/mime/packages/liravo-yyu.xml");
    EXPECT_TRUE(mime.contains("type=\"application/x-liravo-collection\""));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.yyu\"/>"));
    // No cache was rebuilt inside a packaging root.
    EXPECT_FALSE(QFile::exists(share + "/mime/mime.cache"));

    QProcess validate;
    validate.start("desktop-file-validate", {share + "/applications/Liravo.desktop"});
    if (validate.waitForFinished(10000) && validate.exitStatus() == QProcess::NormalExit) {
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().constData();
    }
}
