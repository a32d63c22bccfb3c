// SPDX-License-Identifier: GPL-3.0-or-later
#include "playerhome.h"

#include "store/sqlitesettingsbackend.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

PlayerHome::PlayerHome(QString program)
    : env(QProcessEnvironment::systemEnvironment()), program_(std::move(program))
{
    QDir(path()).mkpath(QStringLiteral("cfg"));
    QDir(path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("HOME"), path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), filePath(QStringLiteral("cfg")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_STATE_HOME"), filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LIRAVO_AO"), QStringLiteral("null"));
    env.insert(QStringLiteral("BROWSER"), QStringLiteral("true"));
}

bool PlayerHome::start(QProcess &process, const QStringList &args) const
{
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program_, args);
    const bool started = process.waitForStarted(10000);
    EXPECT_TRUE(started) << program_.toStdString() << ": " << process.errorString().toStdString();
    return started;
}

QString PlayerHome::stored(const QString &section, const QString &key, const QString &app) const
{
    SqliteSettingsBackend db(filePath(QStringLiteral("cfg/Liravo/settings.sqlite3")));
    return db.read(app, section, key).value_or(QStringLiteral("<missing>"));
}

void PlayerHome::store(const QString &section, const QString &key, const QString &value,
                       const QString &app) const
{
    QDir(path()).mkpath(QStringLiteral("cfg/Liravo"));
    SqliteSettingsBackend db(filePath(QStringLiteral("cfg/Liravo/settings.sqlite3")));
    db.write(app, section, key, value);
}
