// SPDX-License-Identifier: GPL-3.0-or-later
// The command line is read before Qt sees it: --help and --version answer
// without a display, a mistyped option stops with exit code 2, and files and
// Qt's own options still reach the player.
#include "app/commandline.h"
#include "liravo/version.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {
using Action = CommandLine::Action;

QStringList argsOf(const QString &line)
{
    return QStringList{"liravo"} + line.split(u' ', Qt::SkipEmptyParts);
}
} // namespace

TEST(CommandLine, ReadsTheActionAndTheUnknownOption)
{
    const struct {
        const char *line;
        Action action;
        const char *unknown;
    } cases[] = {
        {"", Action::Run, ""},
        {"song.mp3", Action::Run, ""},
        {"/music/歌 一.mp3", Action::Run, ""},
        {"-", Action::Run, ""},
        {"--help", Action::Help, ""},
        {"-h", Action::Help, ""},
        {"song.mp3 --help", Action::Help, ""},
        {"--version", Action::Version, ""},
        {"-v", Action::Version, ""},
        {"--version --help", Action::Version, ""},
        {"-style fusion song.mp3", Action::Run, ""},
        {"-style=fusion", Action::Run, ""},
        {"--style fusion", Action::Run, ""},
        {"-platform offscreen", Action::Run, ""},
        {"-reverse", Action::Run, ""},
        // A Qt option's value is taken as the value, even when it looks like an option.
        {"-stylesheet -odd.qss", Action::Run, ""},
        {"--verbose", Action::Unknown, "--verbose"},
        {"-x song.mp3", Action::Unknown, "-x"},
        {"song.mp3 --helpme", Action::Unknown, "--helpme"},
        {"-reverse=yes", Action::Unknown, "-reverse=yes"},
        {"--", Action::Unknown, "--"},
        {"-stylefusion", Action::Unknown, "-stylefusion"},
    };
    for (const auto &c : cases) {
        const CommandLine line = readCommandLine(argsOf(QString::fromUtf8(c.line)));
        EXPECT_EQ(line.action, c.action) << c.line;
        EXPECT_EQ(line.unknownOption, QString::fromUtf8(c.unknown)) << c.line;
    }
}

TEST(CommandLine, PicksXWaylandOnlyWhenBothServersRunAndNothingWasChosen)
{
    const struct {
        const char *line;
        const char *wayland;
        const char *x11;
        const char *qpa;
        const char *platform;
    } cases[] = {
        {"", "wayland-1", ":0", "", "xcb"},
        {"song.mp3", "wayland-1", ":0", "", "xcb"},
        {"", "wayland-1", "", "", ""},   // Wayland alone runs natively
        {"", "", ":0", "", ""},          // plain X11 needs no help
        {"", "", "", "", ""},
        {"", "wayland-1", ":0", "wayland", ""},
        {"", "wayland-1", ":0", "offscreen", ""},
        {"-platform wayland", "wayland-1", ":0", "", ""},
        {"-platform=wayland", "wayland-1", ":0", "", ""},
        {"--platform wayland", "wayland-1", ":0", "", ""},
        {"-style fusion", "wayland-1", ":0", "", "xcb"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(preferredPlatform(argsOf(QString::fromUtf8(c.line)), c.wayland, c.x11, c.qpa),
                  QString::fromUtf8(c.platform))
            << c.line << " / " << c.wayland << " / " << c.x11 << " / " << c.qpa;
}

// The real program, with no display of any kind: the answers come before Qt
// would look for one.
TEST(CommandLine, TheProgramAnswersWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "");
    const QByteArray version = QByteArray("liravo ") + kLiravoVersionText + "\n";
    const struct {
        const char *arg;
        int code;
        const char *out;
        const char *err;
    } cases[] = {
        {"--version", 0, version.constData(), ""},
        {"--help", 0, "Usage: liravo", ""},
        {"--bogus", 2, "", "liravo: unknown option --bogus"},
    };
    for (const auto &c : cases) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LIRAVO_BINARY), {c.arg});
        ASSERT_TRUE(p.waitForFinished(10000)) << c.arg;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << c.arg;
        EXPECT_EQ(p.exitCode(), c.code) << c.arg;
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        // Each answer goes to its own channel only.
        EXPECT_EQ(out.left(qstrlen(c.out)), QString::fromUtf8(c.out)) << c.arg;
        EXPECT_EQ(out.isEmpty(), *c.out == 0) << c.arg << ": " << out.toStdString();
        EXPECT_EQ(err.left(qstrlen(c.err)), QString::fromUtf8(c.err)) << c.arg;
        EXPECT_EQ(err.isEmpty(), *c.err == 0) << c.arg << ": " << err.toStdString();
    }
}
