// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// Stands in for the desktop's notification server and keeps every call.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app;
        uint replaces;
        QString icon, summary, body;
        QStringList actions;
        QVariantMap hints;
        int expire;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expire)
    {
        calls.append({app, replaces, icon, summary, body, actions, hints, expire});
        // As real servers do: the id of the bubble replaced, or a new one.
        return replaces ? replaces : ++lastId_;
    }

private:
    uint lastId_ = 40;
};
