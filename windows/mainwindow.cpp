// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/mainwindow.h"

#include "ui/appcontext.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "ui/colors.h"
#include "ui/windowlook.h"
#include "ui/leanstyle.h"
#include "windows/maincontrols.h"
#include "windows/mainviewmodel.h"
#include "playback/player.h"
#include "desktop/trayicon.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QWindowStateChangeEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QLoggingCategory>
#include <QTimer>

#include "system/associatemp3.h"

// What the window shows as it changes: its caption and coming forward. Off
// unless enabled (QT_LOGGING_RULES="liravo.window.debug=true").
Q_LOGGING_CATEGORY(lcWindow, "liravo.window", QtWarningMsg)

namespace {
struct LabelPlace {
    int left, top, width, height;
};
// Where the labels sit in the 430 x 200 client area.
constexpr std::array<LabelPlace, 7> kPlaces = {{
    {48, 152, 60, 19},  // 0 previous
    {48, 32, 115, 19},  // 1 song name
    {48, 64, 95, 19},   // 2 singer
    {160, 152, 40, 19}, // 3 play / pause
    {248, 152, 40, 19}, // 4 stop
    {320, 152, 60, 19}, // 5 next
    {48, 96, 95, 19},   // 6 album
}};

// The gap a label keeps from the client area's right edge.
constexpr int kRightMargin = 8;

// A text too long for the room right of the label ends in "…"; the whole
// text is then the label's tooltip.
void showFitted(QLabel *label, const QString &text)
{
    const int room = label->parentWidget()->width() - label->x() - kRightMargin;
    const QString fitted = label->fontMetrics().elidedText(text, Qt::ElideRight, room);
    if (label->text() != fitted) {
        label->setText(fitted);
        label->adjustSize();
    }
    label->setToolTip(fitted == text ? QString() : text);
}

// A menu entry shows the key that runs the same command in the main window.
// The key itself belongs to the window's own action (MainControls); here it
// only acts while this menu is open and has the keyboard, so the two never
// compete for it.
QAction *withKey(QAction *action, const QKeySequence &key)
{
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    return action;
}

void setTextColor(QLabel *label, const QColor &color)
{
    if (label->palette().color(QPalette::WindowText) == color)
        return;
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}
} // namespace

MainWindow::MainWindow(AppContext &ctx, QWidget *parent)
    : QMainWindow(parent), ctx_(ctx), controller_(new MainViewModel(ctx, MainViewModel::defaultGreyText(), this))
{
    setObjectName(QStringLiteral("frm主窗体"));
    setWindowTitle(MainViewModel::designCaption());
    setWindowIcon(appIcon());

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setFixedSize(430, 200);
    client_->installEventFilter(this);
    setCentralWidget(client_);
    buildLabels(client_);
    buildMenus();
    new MainControls(*this, *client_, *controller_, ctx_);
    setFixedSize(430, 200 + menuBar()->sizeHint().height());
    dropMaximizeButton(this);

    connect(controller_, &MainViewModel::stateChanged, this, &MainWindow::sync);
    connect(&ctx_.player, &Player::activateRequested, this, [this] {
        if (isVisible())
            activateWindow();
    });
    connect(&ctx_.player, &Player::showRequested, this,
            &MainWindow::showNormalAndRaise);

    ctx_.services.tray.onRightPress = [this](const QPoint &pos) {
        activateWindow();
        trayMenu_->popup(pos);
    };
    ctx_.services.tray.onDoubleClick = [this] { showNormalAndRaise(); };

    controller_->load(windowIcon());
    sync();
}

MainWindow::~MainWindow()
{
    ctx_.services.tray.onRightPress = nullptr;
    ctx_.services.tray.onDoubleClick = nullptr;
}

QIcon MainWindow::appIcon()
{
    // The eight sizes take some 350 KiB decoded; the program and its windows
    // share one copy, kept with the application object so that it goes
    // before the display connection does.
    static const char kKept[] = "liravoAppIcon";
    if (qApp) {
        const QVariant kept = qApp->property(kKept);
        if (kept.isValid())
            return kept.value<QIcon>();
    }
    // The icons are compiled into the static library; a program linking it has
    // to register them before the first use (again is harmless).
    Q_INIT_RESOURCE(liravo);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(LeanStyle::readPng(QStringLiteral(":/icons/liravo-%1.png").arg(size)));
    if (qApp)
        qApp->setProperty(kKept, QVariant::fromValue(icon));
    return icon;
}

void MainWindow::showDesktopLyricsState(bool on, bool locked)
{
    desktopLyricsAction_->setChecked(on);
    lyricsLockAction_->setChecked(locked);
    lyricsLockAction_->setEnabled(on);
}

qint64 MainWindow::handle()
{
    const qint64 id = qint64(winId());
    return id != 0 ? id : qint64(reinterpret_cast<quintptr>(this));
}

void MainWindow::buildLabels(QWidget *client)
{
    QFont font;
    font.setFamilies(cjkFontFamilies());
    font.setPointSizeF(14.25);
    font.setBold(true);
    for (int i = 0; i < int(labels_.size()); ++i) {
        auto *label = new QLabel(controller_->labelText(i), client);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setProperty("index", i);
        label->setFont(font);
        label->setAutoFillBackground(false);
        label->setGeometry(kPlaces[i].left, kPlaces[i].top, kPlaces[i].width, kPlaces[i].height);
        label->adjustSize();
        label->installEventFilter(this);
        labels_[i] = label;
    }
}

void MainWindow::addChoiceMenu(QMenu *parent, const SettingKey &key, std::initializer_list<const char *> choices,
                               const std::function<void(const QString &)> &chosen)
{
    const QString name = QString::fromUtf8(key.name);
    QMenu *menu = parent->addMenu(name);
    menu->setObjectName(QStringLiteral("m_") + name);
    menu->menuAction()->setObjectName(QStringLiteral("m_") + name);
    auto *group = new QActionGroup(menu);
    // A stored text that is none of the choices reads as the first one.
    QString stored = ctx_.services.settings.value(key);
    bool known = false;
    for (const char *c : choices)
        known = known || stored == QString::fromUtf8(c);
    if (!known)
        stored = QString::fromUtf8(*choices.begin());
    for (const char *c : choices) {
        const QString text = QString::fromUtf8(c);
        QAction *a = menu->addAction(text);
        a->setObjectName(QStringLiteral("m_%1_%2").arg(name, text));
        a->setCheckable(true);
        a->setChecked(text == stored);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [chosen, text] { chosen(text); });
    }
}

void MainWindow::buildMenus()
{
    MainViewModel *c = controller_;
    Player *p = &ctx_.player;
    QMenuBar *bar = menuBar();

    QMenu *file = bar->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("m_文件"));
    MenuCommands *m = &c->commands();
    connect(withKey(namedAction(file, "m_Open", QStringLiteral("打开文件")), QKeySequence(Qt::CTRL | Qt::Key_O)), &QAction::triggered, c,
            [m] { m->openFile(); });
    namedSeparator(file, "文件_分割线");
    connect(withKey(namedAction(file, "m_endi", QStringLiteral("退出")), QKeySequence(Qt::CTRL | Qt::Key_Q)), &QAction::triggered, c,
            [m] { m->exit(); });

    connect(namedAction(bar, "scanLocal", QStringLiteral("扫描本地")), &QAction::triggered, this,
            [this] { ctx_.windows().showScanWindow(); });
    connect(namedAction(bar, "m_NewFile", QStringLiteral("歌曲列表")), &QAction::triggered, this,
            [this] { ctx_.windows().showSongList(); });
    modeAction_ = namedAction(bar, "m_切换播放模式", QStringLiteral("播放模式"));
    connect(modeAction_, &QAction::triggered, c, &MainViewModel::cyclePlayMode);

    QMenu *settings = bar->addMenu(QStringLiteral("设置"));
    settings->setObjectName(QStringLiteral("m_设置"));
    connect(namedAction(settings, "m_TopCaption", QStringLiteral("顶部标题")), &QAction::triggered,
            c, [m] { m->topCaption(); });
    namedSeparator(settings, "设置_分割线1");
    connect(namedAction(settings, "m_FontColor", QStringLiteral("字体颜色")), &QAction::triggered, c,
            [m] { m->fontColor(); });
    connect(namedAction(settings, "bcolor", QStringLiteral("背景颜色")), &QAction::triggered, c,
            [m] { m->backColor(); });
    namedAction(settings, "m_Link", QStringLiteral("文件关联"))->setVisible(false);
    // Choices kept under "设置": ReplayGain, what a start without a file
    // does, and when a new song is told on the desktop.
    addChoiceMenu(settings, SettingKeys::replayGain, {"关闭", "单曲", "专辑"},
                  [p](const QString &text) { p->setReplayGainMode(text); });
    Settings *store = &ctx_.services.settings;
    addChoiceMenu(settings, SettingKeys::resumeAtStart, {"暂停", "播放", "不恢复"},
                  [store](const QString &text) { store->store(SettingKeys::resumeAtStart, text); });
    addChoiceMenu(settings, SettingKeys::songNotifications, {"隐藏时", "总是", "从不"},
                  [store](const QString &text) { store->store(SettingKeys::songNotifications, text); });

    QMenu *other = bar->addMenu(QStringLiteral("其它"));
    other->setObjectName(QStringLiteral("m_其它"));
    connect(namedAction(other, "sounet", QStringLiteral("搜索网络（测试）")), &QAction::triggered,
            this, [this] { ctx_.windows().showSearchWindow(); });
    QAction *associate = namedAction(other, "m_setlink", QStringLiteral("关联mp3文件"));
    associate->setEnabled(false);
    connect(associate, &QAction::triggered, this, [this] {
        associateMp3(ctx_.services.fileAssociation, ctx_.services.dialogs);
    });
    connect(namedAction(other, "m_歌词", QStringLiteral("歌词")), &QAction::triggered, this,
            &MainWindow::lyricsRequested);
    connect(namedAction(other, "m_updata", QStringLiteral("检查更新")), &QAction::triggered, this,
            [this] { ctx_.windows().showUpdaterWindow(); });

    // The tray pop-up: a menu of the window that never shows in the bar.
    trayMenu_ = new QMenu(QStringLiteral("右键菜单"), this);
    trayMenu_->setObjectName(QStringLiteral("m_右键菜单"));
    QAction *mute = namedAction(trayMenu_, "m_静音", QStringLiteral("静音"));
    mute->setCheckable(true);
    connect(mute, &QAction::triggered, p, &Player::setMuted);
    connect(p, &Player::mutedChanged, mute, &QAction::setChecked);
    connect(namedAction(trayMenu_, "m_TrayLyrics", QStringLiteral("歌词")), &QAction::triggered, this,
            &MainWindow::lyricsRequested);
    desktopLyricsAction_ = namedAction(trayMenu_, "m_桌面歌词", QStringLiteral("桌面歌词"));
    desktopLyricsAction_->setCheckable(true);
    connect(desktopLyricsAction_, &QAction::triggered, this, &MainWindow::desktopLyricsSwitched);
    lyricsLockAction_ = namedAction(trayMenu_, "m_锁定", QStringLiteral("锁定"));
    lyricsLockAction_->setCheckable(true);
    connect(lyricsLockAction_, &QAction::triggered, this, &MainWindow::desktopLyricsLocked);
    connect(namedAction(trayMenu_, "m_Show", QStringLiteral("主界面")), &QAction::triggered, this,
            &MainWindow::showNormalAndRaise);
    namedSeparator(trayMenu_, "分割线3");
    rndAction_ = namedAction(trayMenu_, "m_Rnd", QStringLiteral("随机播放一首"));
    connect(rndAction_, &QAction::triggered, p, &Player::random);
    connect(withKey(namedAction(trayMenu_, "m_P", QStringLiteral("播放/暂停")), Qt::Key_Space),
            &QAction::triggered, c, &MainViewModel::menuPlayPause);
    preAction_ = withKey(namedAction(trayMenu_, "m_Pre", QStringLiteral("上一首")),
                         QKeySequence(Qt::CTRL | Qt::Key_Left));
    connect(preAction_, &QAction::triggered, p, &Player::previous);
    nextAction_ = withKey(namedAction(trayMenu_, "m_Next", QStringLiteral("下一首")),
                          QKeySequence(Qt::CTRL | Qt::Key_Right));
    connect(nextAction_, &QAction::triggered, p, &Player::next);
    namedSeparator(trayMenu_, "分割线2");
    connect(withKey(namedAction(trayMenu_, "m_End", QStringLiteral("退出")),
                    QKeySequence(Qt::CTRL | Qt::Key_Q)),
            &QAction::triggered, c, [m] { m->exit(); });
}

void MainWindow::sync()
{
    const MainViewModel &c = *controller_;
    for (int i = 0; i < int(labels_.size()); ++i) {
        QLabel *label = labels_[i];
        if (!synced_ || shown_.texts[i] != c.labelText(i)) {
            shown_.texts[i] = c.labelText(i);
            showFitted(label, c.labelText(i));
        }
        // The user's font colour is shown as chosen; the grey of a disabled
        // button is the desktop's, and must not vanish into the back colour.
        const QColor color = c.labelEnabled(i) ? c.labelColor(i)
                                               : readableOn(c.labelColor(i), c.backColor());
        if (!synced_ || shown_.colors[i] != color) {
            shown_.colors[i] = color;
            setTextColor(label, color);
        }
    }
    if (!synced_ || shown_.back != c.backColor()) {
        shown_.back = c.backColor();
        if (client_->palette().color(QPalette::Window) != c.backColor()
            || !client_->autoFillBackground())
            applyBackColor(client_, valueFromColor(c.backColor()));
    }
    if (!synced_ || shown_.mode != c.playMode()) {
        shown_.mode = c.playMode();
        modeAction_->setText(c.playMode());
    }
    const int enabled = int(c.previousEnabled()) | int(c.nextEnabled()) << 1
                        | int(c.randomEnabled()) << 2;
    if (!synced_ || shown_.enabled != enabled) {
        shown_.enabled = enabled;
        preAction_->setEnabled(c.previousEnabled());
        nextAction_->setEnabled(c.nextEnabled());
        rndAction_->setEnabled(c.randomEnabled());
    }
    if (!synced_ || c.caption() != lastCaption_) {
        setWindowTitle(c.caption());
        qCDebug(lcWindow, "caption %s", qUtf8Printable(c.caption()));
        lastCaption_ = c.caption();
    }
    synced_ = true;
}

void MainWindow::showNormalAndRaise()
{
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
    qCDebug(lcWindow, "shown");
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (controller_->commands().exit())
        event->accept();
    else
        event->ignore();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMinimized))
        return;
    // Only the step into the minimised state counts; hiding a minimised
    // window reports the state again.
    if (static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized)
        return;
    // Without a tray host a hidden window could never be brought back, so it
    // then stays an ordinary minimised window.
    if (ctx_.services.tray.available())
        QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
    ctx_.windows().closeSongList();
    ctx_.windows().closeSearchWindow();
}

bool MainWindow::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Q_EMIT activated();
    return handled;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A double click is one click, not two: the second press comes as a
    // double-click event and its release is not a click of its own.
    if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLabel *>(watched)) {
        swallowRelease_ = true;
        return true;
    }
    if (watched == client_ && event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        QMetaObject::invokeMethod(this, &MainWindow::firstPainted, Qt::QueuedConnection);
    }
    if (event->type() == QEvent::MouseButtonRelease && swallowRelease_) {
        swallowRelease_ = false;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *label = qobject_cast<QLabel *>(watched);
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (label && mouse->button() == Qt::LeftButton
            && label->rect().contains(mouse->position().toPoint())) {
            controller_->clickLabel(label->property("index").toInt());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
