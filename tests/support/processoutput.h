// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProcess>
#include <QString>

#include <functional>
#include <initializer_list>
#include <string>

// What a process printed on either channel, read as it arrives, so a test
// waits for the line it expects and shows all of it when the line never came.
class ProcessOutput {
public:
    explicit ProcessOutput(QProcess &process) : process_(process) {}

    // Reads what has arrived and returns everything so far.
    const QString &read();
    // Waits until done(everything so far) holds.
    bool waitFor(const std::function<bool(const QString &)> &done, int ms);
    bool waitForLine(const QString &line, int ms);
    void clear() { text_.clear(); }
    // Everything so far, for a failure message.
    std::string seen() { return read().toStdString(); }

private:
    QProcess &process_;
    QString text_;
};

// Kills whichever of these still run and waits for them.
void stopProcesses(std::initializer_list<QProcess *> processes);
