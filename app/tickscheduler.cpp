#include "app/tickscheduler.h"

#include "app/playercontroller.h"
#include "platform/mediaplayer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

TickScheduler::TickScheduler(PlayerController &controller, QTimer &timer, MediaPlayer *player,
                             QObject *parent)
    : QObject(parent), controller_(controller), timer_(timer)
{
    connect(&timer_, &QTimer::timeout, this, &TickScheduler::onTimeout);
    connect(&controller_, &PlayerController::wakeRequested, this, &TickScheduler::wake);
    // Engines that report their state changes are QObjects of types this
    // code does not know (the real one lives in a module).
    if (auto *engine = dynamic_cast<QObject *>(player)) {
        const QMetaObject *meta = engine->metaObject();
        const bool states = meta->indexOfSignal("stateChanged(PlayState)") >= 0;
        const bool tags = meta->indexOfSignal("tagsChanged()") >= 0;
        if (states)
            connect(engine, SIGNAL(stateChanged(PlayState)), this, SLOT(wake()));
        if (tags)
            connect(engine, SIGNAL(tagsChanged()), this, SLOT(wake()));
        engineReports_ = states && tags;
    }
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
    controller_.tick();
    if (controller_.ticksWanted(engineReports_))
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
