// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/maincontrols.h"

#include "ui/appcontext.h"
#include "ui/filedropfilter.h"
#include "playback/filedrops.h"
#include "playback/player.h"
#include "windows/mainviewmodel.h"
#include "windows/positionbar.h"

#include "desktop/trayicon.h"

#include <QAction>
#include <QCursor>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

MainControls::MainControls(QWidget &window, QWidget &client, MainViewModel &view, AppContext &ctx)
    : QObject(&window), window_(window), view_(view), player_(ctx.player),
      bar_(new PositionBar(ctx.services.player, &client)), tray_(ctx.services.tray)
{
    setObjectName(QStringLiteral("mainControls"));
    bar_->setGeometry(0, client.height() - PositionBar::kHeight, client.width(), PositionBar::kHeight);
    connect(bar_, &PositionBar::seekRequested, &player_, &Player::seek);
    connect(&view_, &MainViewModel::stateChanged, this, &MainControls::sync);
    connect(&player_, &Player::seeked, bar_, &PositionBar::refresh);
    connect(&player_, &Player::volumeChanged, this, &MainControls::showVolume);
    connect(&player_, &Player::mutedChanged, this, [this](bool muted) {
        if (muted)
            QToolTip::showText(window_.mapToGlobal(QPoint(window_.width() / 2 - 30, 0)),
                               QStringLiteral("静音"), &window_, QRect(), 1500);
        else
            showVolume(player_.volume());
    });

    using C = MainViewModel;
    MainViewModel *c = &view_;
    Player *p = &player_;
    // Many keyboards' one play key sends MediaPlay for both play and pause.
    addKeys("key_playPause", {Qt::Key_Space, Qt::Key_MediaTogglePlayPause, Qt::Key_MediaPlay},
            [c] { c->clickLabel(C::PlayPause); });
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
    addKeys("key_mute", {Qt::Key_M, Qt::Key_VolumeMute}, [p] { p->setMuted(!p->muted()); });
    addKeys("key_open", {QKeySequence(Qt::CTRL | Qt::Key_O)}, [c] { c->commands().openFile(); });
    addKeys("key_exit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [c] { c->commands().exit(); });

    window.installEventFilter(this);
    // The tray icon: a middle click plays or pauses, the wheel sets the volume.
    tray_.onMiddleClick = [c] { c->clickLabel(C::PlayPause); };
    tray_.onWheel = [this](int angleDelta) { turnWheel(angleDelta); };
    AppContext *context = &ctx;
    new FileDropFilter(&window, [context](const QStringList &paths) {
        if (dropOnMainWindow(context->services.dialogs, context->player, paths))
            context->windows().showSongList();
    });
    sync();
}

MainControls::~MainControls()
{
    tray_.onMiddleClick = nullptr;
    tray_.onWheel = nullptr;
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
    // Near the top of the window, where the caption is; beside the mouse when
    // the window sits in the tray and the wheel turned over the tray icon.
    const QString text = QStringLiteral("音量：%1").arg(volume);
    if (window_.isVisible())
        QToolTip::showText(window_.mapToGlobal(QPoint(window_.width() / 2 - 30, 0)), text,
                           &window_, QRect(), 1500);
    else
        QToolTip::showText(QCursor::pos(), text, nullptr, QRect(), 1500);
}

void MainControls::turnWheel(int angleDelta)
{
    // Fine-grained wheels and touchpads send parts of a notch; every whole
    // notch is one step.
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches != 0)
        player_.setVolume(player_.volume() + notches * kVolumeStep);
}

bool MainControls::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &window_ && event->type() == QEvent::Wheel) {
        turnWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
