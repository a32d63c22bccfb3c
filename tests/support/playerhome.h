// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A home folder of its own for the real player run as a separate program:
// settings under cfg/, a private runtime folder, and an environment that keeps
// it off the desktop (no sound device, no browser, the offscreen platform).
// Tests add to env what they need (a display, a bus, logging rules).
class PlayerHome {
public:
    // program: the player, LIRAVO_BINARY where the test is compiled.
    explicit PlayerHome(QString program);

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

    // Starts the player in this home with its output channels merged; false
    // (and a test failure) when it did not start.
    bool start(QProcess &process, const QStringList &args) const;
    // A stored setting, "<missing>" when there is none.
    QString stored(const QString &section, const QString &key,
                   const QString &app = QStringLiteral("Liravo")) const;

    // Writes a setting before the player starts.
    void store(const QString &section, const QString &key, const QString &value,
               const QString &app = QStringLiteral("Liravo")) const;

    QProcessEnvironment env;

private:
    QTemporaryDir dir_;
    QString program_;
};
