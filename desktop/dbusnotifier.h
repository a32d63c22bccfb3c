// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <optional>

class QDBusPendingCallWatcher;

// Notices through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). Each notice replaces
// the bubble of the one before, so skipping through songs leaves one bubble.
// Calls are asynchronous: while one is answered, only the newest notice
// waits. With no service on the bus nothing is shown and one line is logged
// under liravo.notify.
class DBusNotifier : public QObject, public Notifier {
    Q_OBJECT
public:
    explicit DBusNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject *parent = nullptr);

    void notify(const SongNotice &n) override;

private:
    void send(const SongNotice &n);
    void answered(QDBusPendingCallWatcher *call);
    void logOnce(const QString &why);

    QDBusConnection bus_;
    uint shownId_ = 0; // the bubble to replace; 0 for none
    bool waiting_ = false;
    std::optional<SongNotice> next_;
    bool logged_ = false;
};
