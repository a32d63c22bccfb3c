// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own, so tests never touch the desktop's
// session bus and parallel tests never compete for one bus name.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    // Empty when the daemon could not be started.
    const QString &address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};
