// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "mpris/mprisservice.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

class MprisPlayerAdaptor;

// The media-player interfaces on a D-Bus connection (the session bus unless
// told otherwise), at /org/mpris/MediaPlayer2 under the player's bus name.
// The adaptors' calls carry their D-Bus context on this object.
class QtMprisService : public QObject, public MprisService, public QDBusContext {
    Q_OBJECT
public:
    explicit QtMprisService(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject *parent = nullptr);
    ~QtMprisService() override;

    bool publish(MprisHandler &handler) override;
    void propertiesChanged(const QVariantMap &changed) override;
    void seeked(qint64 positionUs) override;

private:
    QDBusConnection bus_;
    MprisPlayerAdaptor *player_ = nullptr;
    bool registered_ = false;
};
