// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QMainWindow>
#include <array>
#include <functional>
#include <initializer_list>

struct SettingKey;

struct AppContext;
class MainViewModel;
class QLabel;
class QMenu;
class QAction;

// frm主窗体: seven labels, the menu bar and the tray pop-up, wired to a
// MainViewModel that holds all of their state. Constructing the window runs
// its load sequence; Timer1 ticks from then on whenever a tick can matter.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppContext &ctx, QWidget *parent = nullptr);
    ~MainWindow() override;

    MainViewModel &controller() { return *controller_; }
    // The number stored as "句柄": any non-zero number naming this window.
    qint64 handle();
    // The six-size icon of the window and the tray.
    static QIcon appIcon();

    // Normal state, shown, brought forward.
    void showNormalAndRaise();
    // The tray's checks for the desktop lyrics follow their window.
    void showDesktopLyricsState(bool on, bool locked);

Q_SIGNALS:
    // The window became the active one (the first time runs the start-up's
    // first-activation sequence).
    void activated();
    // The window was painted for the first time, so it is on the screen.
    void firstPainted();
    // "歌词", and the tray's "桌面歌词" and "锁定" entries.
    void lyricsRequested();
    void desktopLyricsSwitched(bool on);
    void desktopLyricsLocked(bool locked);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLabels(QWidget *client);
    void buildMenus();
    // A submenu named after a settings key, one checkable entry per choice,
    // the stored one checked.
    void addChoiceMenu(QMenu *parent, const SettingKey &key, std::initializer_list<const char *> choices,
                       const std::function<void(const QString &)> &chosen);
    void sync();

    AppContext &ctx_;
    MainViewModel *controller_;
    std::array<QLabel *, 7> labels_{};
    QWidget *client_ = nullptr;
    QMenu *trayMenu_ = nullptr;
    QAction *modeAction_ = nullptr;
    QAction *preAction_ = nullptr;
    QAction *nextAction_ = nullptr;
    QAction *rndAction_ = nullptr;
    QAction *desktopLyricsAction_ = nullptr;
    QAction *lyricsLockAction_ = nullptr;
    QString lastCaption_;
    // What sync() last handed to the widgets. The tick asks for a sync ten
    // times a second and almost nothing changes; comparing with these is far
    // cheaper than reading the widgets' texts and palettes back each time.
    struct Shown {
        std::array<QString, 7> texts;
        std::array<QColor, 7> colors;
        QColor back;
        QString mode;
        int enabled = -1;  // previous | next << 1 | random << 2
    } shown_;
    bool synced_ = false;
    bool swallowRelease_ = false;
    bool painted_ = false;
};
