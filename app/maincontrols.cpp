#include "app/maincontrols.h"

#include "platform/appcontext.h"
#include "base/filedropfilter.h"
#include "collection/filedrops.h"
#include "app/playercontroller.h"
#include "app/positionbar.h"

#include "platform/trayicon.h"

#include <QAction>
#include <QCursor>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

MainControls::MainControls(QWidget &window, QWidget &client, PlayerController &controller,
                           AppContext &ctx)
    : QObject(&window), window_(window), controller_(controller),
      bar_(new PositionBar(ctx.services.player, &client)), tray_(ctx.services.tray)
{
    setObjectName(QStringLiteral("mainControls"));
    bar_->setGeometry(0, client.height() - PositionBar::kHeight, client.width(), PositionBar::kHeight);
    connect(bar_, &PositionBar::seekRequested, &controller_, &PlayerController::seek);
    connect(&controller_, &PlayerController::stateChanged, this, &MainControls::sync);
    connect(&controller_, &PlayerController::seeked, bar_, &PositionBar::refresh);
    connect(&controller_, &PlayerController::volumeChanged, this, &MainControls::showVolume);

    using C = PlayerController;
    PlayerController *c = &controller_;
    // Many keyboards' one play key sends MediaPlay for both play and pause.
    addKeys("key_playPause", {Qt::Key_Space, Qt::Key_MediaTogglePlayPause, Qt::Key_MediaPlay},
            [c] { c->clickLabel(C::PlayPause); });
    addKeys("key_pause", {Qt::Key_MediaPause}, [c] { c->pause(); });
    addKeys("key_stop", {Qt::Key_MediaStop}, [c] { c->stopPlayback(); });
    addKeys("key_previous", {QKeySequence(Qt::CTRL | Qt::Key_Left), Qt::Key_MediaPrevious},
            [c] { c->clickLabel(C::Previous); });
    addKeys("key_next", {QKeySequence(Qt::CTRL | Qt::Key_Right), Qt::Key_MediaNext},
            [c] { c->clickLabel(C::Next); });
    addKeys("key_back", {Qt::Key_Left}, [c] { c->seekBy(-kSeekStepMs); });
    addKeys("key_forward", {Qt::Key_Right}, [c] { c->seekBy(kSeekStepMs); });
    addKeys("key_louder", {Qt::Key_Up}, [c] { c->changeVolume(kVolumeStep); });
    addKeys("key_softer", {Qt::Key_Down}, [c] { c->changeVolume(-kVolumeStep); });
    addKeys("key_open", {QKeySequence(Qt::CTRL | Qt::Key_O)}, [c] { c->commands().openFile(); });
    addKeys("key_exit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [c] { c->commands().exit(); });

    window.installEventFilter(this);
    // The tray icon: a middle click plays or pauses, the wheel sets the volume.
    tray_.onMiddleClick = [c] { c->clickLabel(C::PlayPause); };
    tray_.onWheel = [this](int angleDelta) { turnWheel(angleDelta); };
    AppContext *context = &ctx;
    new FileDropFilter(&window, [context](const QStringList &paths) {
        dropOnMainWindow(context->services.dialogs, context->session, context->windows(), paths);
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
    bar_->setTextColor(controller_.labelColor(PlayerController::PlayPause));
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
        controller_.changeVolume(notches * kVolumeStep);
}

bool MainControls::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &window_ && event->type() == QEvent::Wheel) {
        turnWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
