// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/qtmprisservice.h"

#include "mpris/mprisplayeradaptor.h"
#include "mpris/mprisrootadaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMpris, "liravo.mpris")

namespace {
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kName = QStringLiteral("org.mpris.MediaPlayer2.liravo");
} // namespace

QtMprisService::QtMprisService(QDBusConnection bus, QObject *parent)
    : QObject(parent), bus_(std::move(bus))
{
}

QtMprisService::~QtMprisService()
{
    if (!registered_)
        return;
    bus_.unregisterService(kName);
    bus_.unregisterObject(kPath);
}

bool QtMprisService::publish(MprisHandler &handler)
{
    if (registered_)
        return true;
    if (!bus_.isConnected()) {
        // Desktop media controls are a convenience: without a session bus
        // the player works as before.
        qCInfo(lcMpris) << "no session bus; media controls are not offered:"
                        << bus_.lastError().message();
        return false;
    }
    new MprisRootAdaptor(this, handler);
    player_ = new MprisPlayerAdaptor(this, handler);
    if (!bus_.registerObject(kPath, this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcMpris) << "cannot register" << kPath << bus_.lastError().message();
        return false;
    }
    if (!bus_.registerService(kName)) {
        qCWarning(lcMpris) << "cannot take" << kName << bus_.lastError().message();
        bus_.unregisterObject(kPath);
        return false;
    }
    registered_ = true;
    return true;
}

void QtMprisService::propertiesChanged(const QVariantMap &changed)
{
    if (!registered_ || changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    bus_.send(signal);
}

void QtMprisService::seeked(qint64 positionUs)
{
    if (registered_ && player_)
        Q_EMIT player_->Seeked(positionUs);
}
