#include "windows/maincontrols.h"

#include "ui/appcontext.h"
#include "ui/filedropfilter.h"
#include "playback/filedrops.h"
#include "playback/player.h"
#include "windows/mainviewmodel.h"
#include "windows/positionbar.h"

#include <QAction>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

MainControls::MainControls(QWidget &window, QWidget &client, MainViewModel &view, AppContext &ctx)
    : QObject(&window), window_(window), view_(view), player_(ctx.player),
      bar_(new PositionBar(ctx.services.player, &client))
{
    setObjectName(QStringLiteral("mainControls"));
    bar_->setGeometry(0, client.height() - PositionBar::kHeight, client.width(), PositionBar::kHeight);
    connect(bar_, &PositionBar::seekRequested, &player_, &Player::seek);
    connect(&view_, &MainViewModel::stateChanged, this, &MainControls::sync);
    connect(&player_, &Player::seeked, bar_, &PositionBar::refresh);
    connect(&player_, &Player::volumeChanged, this, &MainControls::showVolume);

    using C = MainViewModel;
    MainViewModel *c = &view_;
    Player *p = &player_;
    addKeys("key_playPause", {Qt::Key_Space, Qt::Key_MediaTogglePlayPause},
            [c] { c->clickLabel(C::PlayPause); });
    addKeys("key_play", {Qt::Key_MediaPlay}, [p] { p->resume(); });
    addKeys("key_pause", {Qt::Key_MediaPause}, [p] { p->pause(); });
    addKeys("key_stop", {Qt::Key_MediaStop}, [c] { c->clickLabel(C::Stop); });
    addKeys("key_previous", {QKeySequence(Qt::CTRL | Qt::Key_Left), Qt::Key_MediaPrevious},
            [c] { c->clickLabel(C::Previous); });
    addKeys("key_next", {QKeySequence(Qt::CTRL | Qt::Key_Right), Qt::Key_MediaNext},
            [c] { c->clickLabel(C::Next); });
    addKeys("key_back", {Qt::Key_Left}, [p] { p->seekBy(-kSeekStepMs); });
    addKeys("key_forward", {Qt::Key_Right}, [p] { p->seekBy(kSeekStepMs); });
    addKeys("key_louder", {Qt::Key_Up}, [p] { p->setVolume(p->volume() + kVolumeStep); });
    addKeys("key_softer", {Qt::Key_Down}, [p] { p->setVolume(p->volume() - kVolumeStep); });
    addKeys("key_open", {QKeySequence(Qt::CTRL | Qt::Key_O)}, [c] { c->commands().openFile(); });
    addKeys("key_exit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [c] { c->commands().exit(); });

    window.installEventFilter(this);
    AppContext *context = &ctx;
    new FileDropFilter(&window, [context](const QStringList &paths) {
        if (dropOnMainWindow(context->services.dialogs, context->player, paths))
            context->windows().showSongList();
    });
    sync();
}

void MainControls::addKeys(const char *name, const QList<QKeySequence> &keys,
                           std::function<void()> run)
{
    // Kept out of the menus, which stay as they are.
    auto *action = new QAction(&window_);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(run));
    window_.addAction(action);
}

void MainControls::sync()
{
    bar_->setTextColor(view_.labelColor(MainViewModel::PlayPause));
    bar_->refresh();
}

void MainControls::showVolume(int volume)
{
    // Near the top of the window, where the caption is.
    QToolTip::showText(window_.mapToGlobal(QPoint(window_.width() / 2 - 30, 0)),
                       QStringLiteral("音量：%1").arg(volume), &window_, QRect(), 1500);
}

bool MainControls::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &window_ && event->type() == QEvent::Wheel) {
        // Fine-grained wheels and touchpads send parts of a notch; every
        // whole notch is one step.
        wheelRest_ += static_cast<QWheelEvent *>(event)->angleDelta().y();
        const int notches = wheelRest_ / 120;
        wheelRest_ -= notches * 120;
        if (notches != 0)
            player_.setVolume(player_.volume() + notches * kVolumeStep);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
