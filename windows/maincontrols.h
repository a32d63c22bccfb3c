// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <functional>

struct AppContext;
class MainViewModel;
class Player;
class PositionBar;
class QKeySequence;
class QWidget;
class TrayIcon;

// The main window's keyboard, wheel, drop and position controls. They only
// call the view model's and the player's operations, so they act exactly as
// the labels and menus do.
class MainControls : public QObject {
    Q_OBJECT
public:
    static constexpr int kSeekStepMs = 5000;
    static constexpr int kVolumeStep = 5;

    // `client` is the window's client area; the position bar sits along its
    // bottom edge, below the labels.
    MainControls(QWidget &window, QWidget &client, MainViewModel &view, AppContext &ctx);
    ~MainControls() override;

    PositionBar *positionBar() const { return bar_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addKeys(const char *name, const QList<QKeySequence> &keys, std::function<void()> run);
    void showVolume(int volume);
    void turnWheel(int angleDelta);
    void sync();

    QWidget &window_;
    MainViewModel &view_;
    Player &player_;
    PositionBar *bar_;
    TrayIcon &tray_;
    int wheelRest_ = 0; // wheel turn not yet worth a volume step
};
