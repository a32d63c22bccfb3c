#include "app/tickscheduler.h"

#include "app/playercontroller.h"
#include "platform/mediaplayer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

TickScheduler::TickScheduler(PlayerController &controller, QTimer &timer, MediaPlayer *player,
                             QObject *parent)
    : QObject(parent), controller_(controller), player_(player), timer_(timer)
{
    connect(&timer_, &QTimer::timeout, this, &TickScheduler::onTimeout);
    connect(&controller_, &PlayerController::wakeRequested, this, &TickScheduler::wake);
    // The engine reports its state and tag changes, so a steadily playing
    // song needs no ticks.
    if (player)
        player->setObserver(this);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
    timer_.start();
}

TickScheduler::~TickScheduler()
{
    if (player_)
        player_->setObserver(nullptr);
}

void TickScheduler::wake()
{
    quietTicks_ = 0;
    if (!timer_.isActive())
        timer_.start();
}

void TickScheduler::onTimeout()
{
    controller_.tick();
    if (controller_.ticksWanted(true))
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
