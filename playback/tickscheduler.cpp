// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/tickscheduler.h"

#include "playback/player.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

TickScheduler::TickScheduler(Player &player, QTimer &timer, QObject *parent)
    : QObject(parent), player_(player), timer_(timer)
{
    connect(&timer_, &QTimer::timeout, this, &TickScheduler::onTimeout);
    connect(&player_, &Player::wakeRequested, this, &TickScheduler::wake);
    connect(&player_, &Player::stateChanged, this, &TickScheduler::wake);
    connect(&player_, &Player::tagsChanged, this, &TickScheduler::wake);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
    timer_.start();
}

void TickScheduler::wake()
{
    quietTicks_ = 0;
    if (!timer_.isActive())
        timer_.start();
}

void TickScheduler::onTimeout()
{
    player_.tick();
    if (player_.ticksWanted())
        quietTicks_ = 0;
    else if (++quietTicks_ >= kQuietTicks)
        timer_.stop();
}

bool TickScheduler::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::Close:
        wake();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
