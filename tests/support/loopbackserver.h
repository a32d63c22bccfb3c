// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Runs tools/loopback_server.py on a free 127.0.0.1 port for one test and
// stops it afterwards. Every request target the server saw is in requests().
class LoopbackServer {
public:
    // extraArgs e.g. {"--hang"} or {"--files", dir}. The script's default
    // path is taken where the test is compiled (LIRAVO_SOURCE_DIR).
    explicit LoopbackServer(const QStringList &extraArgs = {},
                            const QString &script = defaultScript());
    ~LoopbackServer();

    bool started() const { return port_ > 0; }
    int port() const { return port_; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    QString url(const QString &path) const { return QStringLiteral("http://") + host() + path; }
    QStringList requests() const;

    static QString defaultScript()
    {
#ifdef LIRAVO_SOURCE_DIR
        return QStringLiteral(LIRAVO_SOURCE_DIR "/tools/loopback_server.py");
#else
        return QStringLiteral("tools/loopback_server.py");
#endif
    }

    // tools/hostile_server.py: answers no client should trust.
    static QString hostileScript()
    {
        return QFileInfo(defaultScript()).dir().filePath(QStringLiteral("hostile_server.py"));
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};
