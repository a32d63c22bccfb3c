// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "windows/menucommands.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QString>
#include <array>

struct AppContext;
class Player;

// What the main window shows, without the window: the seven labels with
// their texts, colours and enabled flags, the enabled state of the pop-up
// entries, the caption and the tray tooltip, read from the Player whenever it
// changes. The labels' clicks and the menu commands end in the Player's
// commands. MainWindow only mirrors this state into widgets, so all of it
// runs and is tested without a display.
class MainViewModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kLabelCount = 7;
    enum LabelIndex { Previous = 0, SongName = 1, Singer = 2, PlayPause = 3, Stop = 4, Next = 5, Album = 6 };

    // The caption the window carries before the first tick rewrites it; also
    // the tray icon's first tooltip.
    static QString designCaption() { return QStringLiteral("Liravo"); }
    // The platform's colour for disabled text.
    static QColor defaultGreyText();

    explicit MainViewModel(AppContext &ctx, QColor greyText = defaultGreyText(),
                           QObject *parent = nullptr);

    // The window's load sequence: colours and caption from the settings, the
    // player's stored mode and volume; the icon goes to the tray.
    void load(const QIcon &windowIcon);

    // Label buttons and menu commands.
    void clickLabel(int index);
    void menuPlayPause(); // m_P
    void cyclePlayMode(); // m_切换播放模式
    // The commands that ask the user first.
    MenuCommands &commands() { return commands_; }
    void setTopCaption(const QString &text);
    void setFontColor(qint32 color);
    void setBackColor(qint32 color);
    // A play mode chosen by its name from outside the menu; unknown names do nothing.
    void choosePlayMode(const QString &mode);

    // State the window mirrors.
    const QString &labelText(int index) const { return labelText_[index]; }
    QColor labelColor(int index) const { return labelEnabled_[index] ? fontColor_ : grey_; }
    bool labelEnabled(int index) const { return labelEnabled_[index]; }
    bool previousEnabled() const { return labelEnabled_[Previous]; }
    bool nextEnabled() const { return labelEnabled_[Next]; }
    bool randomEnabled() const { return randomEnabled_; }
    const QString &caption() const { return caption_; }
    const QString &tooltip() const { return tooltip_; }
    const QString &playMode() const;
    const QString &topCaption() const { return topCaption_; }
    QColor backColor() const { return backColor_; }

Q_SIGNALS:
    // Labels, caption, menu states or colours changed: the window re-reads them.
    void stateChanged();

private:
    // Reads the player's state into the labels, the caption and the tray.
    void refresh();

    AppContext &ctx_;
    Player &player_;
    MenuCommands commands_;
    QColor grey_;
    QColor fontColor_ = Qt::black;
    std::array<QString, kLabelCount> labelText_;
    std::array<bool, kLabelCount> labelEnabled_;
    bool randomEnabled_ = true;
    QString caption_;
    QString tooltip_;
    QString topCaption_;
    QString siteUrl_;
    QColor backColor_;
    bool loaded_ = false;
};
