// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/mprisplayeradaptor.h"

#include "mpris/mprishandler.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject *parent, MprisHandler &handler)
    : QDBusAbstractAdaptor(parent), handler_(handler)
{
}

QString MprisPlayerAdaptor::playbackStatus() const { return handler_.values().playbackStatus; }
QString MprisPlayerAdaptor::loopStatus() const { return handler_.values().loopStatus; }
void MprisPlayerAdaptor::setLoopStatus(const QString &status) { handler_.setLoopStatus(status); }
bool MprisPlayerAdaptor::shuffle() const { return handler_.values().shuffle; }
void MprisPlayerAdaptor::setShuffle(bool shuffle) { handler_.setShuffle(shuffle); }
QVariantMap MprisPlayerAdaptor::metadata() const { return handler_.values().metadata; }
double MprisPlayerAdaptor::volume() const { return handler_.values().volume; }
void MprisPlayerAdaptor::setVolume(double volume) { handler_.setVolume(volume); }
qlonglong MprisPlayerAdaptor::position() const { return handler_.positionUs(); }
bool MprisPlayerAdaptor::canGoNext() const { return handler_.values().canGoNext; }
bool MprisPlayerAdaptor::canGoPrevious() const { return handler_.values().canGoPrevious; }
bool MprisPlayerAdaptor::canPlay() const { return handler_.values().canPlay; }
bool MprisPlayerAdaptor::canPause() const { return handler_.values().canPause; }
bool MprisPlayerAdaptor::canSeek() const { return handler_.values().canSeek; }

void MprisPlayerAdaptor::Next() { handler_.next(); }
void MprisPlayerAdaptor::Previous() { handler_.previous(); }
void MprisPlayerAdaptor::Pause() { handler_.pause(); }
void MprisPlayerAdaptor::PlayPause() { handler_.playPause(); }
void MprisPlayerAdaptor::Stop() { handler_.stop(); }
void MprisPlayerAdaptor::Play() { handler_.play(); }
void MprisPlayerAdaptor::Seek(qlonglong offset) { handler_.seekBy(offset); }

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position)
{
    handler_.setPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString &uri)
{
    if (handler_.openUri(uri))
        return;
    // Qt keeps the call's context on the object the adaptor serves.
    auto *context = dynamic_cast<QDBusContext *>(parent());
    if (context && context->calledFromDBus())
        context->sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("cannot open %1").arg(uri));
}
