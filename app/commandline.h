// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QByteArray>
#include <QStringList>

#include <vector>

// What the command line asks for, read before any window system is touched,
// so --help and --version answer on a machine without a display.
struct CommandLine {
    enum class Action { Run, Help, Version, Unknown };
    Action action = Action::Run;
    QString unknownOption; // the first option neither the player nor Qt knows
};

// args holds the program name first, as argv does.
CommandLine readCommandLine(const QStringList &args);

// The texts printed for --help and --version.
QString commandLineHelp();
QString commandLineVersion();

// The platform plugin to choose for the user, or "" to leave it to Qt. On a
// Wayland desktop that also runs XWayland the windows go through X11, where
// the player may place them itself; an explicit choice (QT_QPA_PLATFORM or
// -platform) always wins.
QString preferredPlatform(const QStringList &args, const QString &waylandDisplay,
                          const QString &display, const QString &qpaPlatform);

// Answers --help, --version and unknown options on stdout or stderr and
// returns the exit code; -1 means the player should start.
int answerCommandLine(int argc, char **argv);

// The arguments QApplication gets: the program's own, plus "-platform xcb"
// when preferredPlatform() picks XWayland. Lives as long as the application.
class ApplicationArguments {
public:
    ApplicationArguments(int argc, char **argv);
    int &argc() { return argc_; }
    char **argv() { return argv_.data(); }

private:
    QByteArray platformOption_{"-platform"};
    QByteArray platform_;
    std::vector<char *> argv_;
    int argc_ = 0;
};
