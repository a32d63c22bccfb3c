#pragma once
#include "app/menucommands.h"
#include "base/playmode.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

struct AppContext;

// Everything the main window does, without the window: the seven labels with
// their texts and colours, the enabled state of the pop-up entries, the
// caption, the tray tooltip, the play mode, and the commands, the playback
// tick and file opening that change them. MainWindow only mirrors this state
// into widgets, so all of it runs and is tested without a display.
class PlayerController : public QObject {
    Q_OBJECT
public:
    static constexpr int kLabelCount = 7;
    enum LabelIndex { Previous = 0, SongName = 1, Singer = 2, PlayPause = 3, Stop = 4, Next = 5, Album = 6 };

    // The caption the window carries before the first tick rewrites it; also
    // the tray icon's first tooltip.
    static QString designCaption() { return QStringLiteral("Liravo"); }
    // The platform's colour for disabled text.
    static QColor defaultGreyText();

    explicit PlayerController(AppContext &ctx, QColor greyText = defaultGreyText(),
                              QObject *parent = nullptr);

    // The window's load sequence. The icon goes to the tray.
    void load(const QIcon &windowIcon);

    // Opens a file by its type: an audio file plays alone, a .yyu or a
    // playlist becomes the current collection. A path without a file behind
    // it does nothing.
    void playFile(const QString &path);
    QString playerStateText() const;

    // Label buttons and menu commands.
    void clickLabel(int index);
    void menuPlayPause();  // m_P
    void previous();       // m_Pre
    void next();           // m_Next
    void randomSong();     // m_Rnd
    void cyclePlayMode();  // m_切换播放模式
    void applyPlayMode();
    // The commands that ask the user first.
    MenuCommands &commands() { return commands_; }
    void setTopCaption(const QString &text);
    void setFontColor(qint32 color);
    void setBackColor(qint32 color);

    // One tick of Timer1. Does nothing while an earlier tick is still running
    // (a look-up or a modal message inside it) or while a page is fetched.
    void tick();
    // Whether another tick could come out differently from the last one by
    // itself: a song is wanted and still opening, a hand-off may be waiting
    // or can only be seen by looking, or settings wait to be written. A song that plays steadily needs no
    // ticks when the engine reports its changes (engineReports): its end
    // and its tags wake the timer. When not wanted the timer may sleep.
    bool ticksWanted(bool engineReports) const;
    // With watched set, the tick reads the hand-off entries of the settings
    // store only for a few ticks after handOffMayHaveChanged(), instead of
    // on every tick; for a store whose file changes can be watched.
    void setHandOffWatched(bool watched) { handOffWatched_ = watched; }
    // The store's file changed (perhaps a second copy wrote a hand-off).
    void handOffMayHaveChanged();

    // State the window mirrors.
    const QString &labelText(int index) const { return labelText_[index]; }
    QColor labelColor(int index) const { return labelColor_[index]; }
    bool labelEnabled(int index) const { return labelColor_[index] == labelColor_[PlayPause]; }
    bool previousEnabled() const { return preEnabled_; }
    bool nextEnabled() const { return nextEnabled_; }
    bool randomEnabled() const { return rndEnabled_; }
    const QString &caption() const { return caption_; }
    const QString &tooltip() const { return tooltip_; }
    const QString &playMode() const { return playMode_.text(); }
    const QString &topCaption() const { return topCaption_; }
    QColor backColor() const { return backColor_; }
    QColor greyText() const { return grey_; }

    void setPlayMode(const QString &mode) { playMode_ = PlayMode::fromText(mode); }

    // Transport for the keyboard and the desktop's media controls; each goes
    // through the label or menu operation that does the same.
    void play();            // label 3 while it offers "播放"
    void pause();           // label 3 while it offers "暂停"
    void stopPlayback();    // label 4
    // A song paused by the user that stays where it stood.
    bool holdsPause() const;
    // Plays an address (a local path or a web address) as a lone song, the
    // way playFile plays a single MP3.
    void playLoneSong(const QString &address);
    // Moves within the current song; announced through seeked().
    void seek(qint64 ms);
    void seekBy(qint64 deltaMs);
    // 0..100, stored under "设置"/"音量" and announced through volumeChanged().
    void setVolume(int volume);
    void changeVolume(int delta) { setVolume(volume() + delta); }
    int volume() const;
    // A play mode chosen from outside the menu: stored and shown alike.
    void choosePlayMode(const QString &mode);
    // While held, ticks do nothing: the start-up holds them until the single-
    // copy rule has run, so a copy about to hand its file over never collects
    // a hand-off meant for the running one.
    void holdTicks(bool hold);
    bool tickRunning() const { return inTick_; }
    // Takes a file a second copy handed over (unless the collection is in
    // use) and answers its request to come forward. The tick calls it; it is
    // safe to call at any other time on the window thread.
    void pickUpHandOff();

Q_SIGNALS:
    // Labels, caption, menu states or colours changed: the window re-reads them.
    void stateChanged();
    // playFile makes the main window the active one.
    void activateRequested();
    // Normal state (not minimised), shown, brought forward.
    void showNormalRequested();
    // Something happened that the next ticks must see: a sleeping timer restarts.
    void wakeRequested();
    // The current collection was replaced by a lone song: an open song list
    // shows it afresh.
    void collectionReplaced();
    // The position jumped to ms by a seek.
    void seeked(qint64 ms);
    // The volume was set (by the wheel, a key or the desktop).
    void volumeChanged(int volume);

private:
    // Enabled labels share label 3's colour; disabled ones are grey.
    void setLabelEnabled(int index, bool enabled);
    void playIfInRange(int n);
    // Label 3 and m_P share these: a playing song pauses, an empty collection
    // asks for a file. False when neither applied and the caller should play.
    bool pauseOrOpenFile();
    void pauseSong();
    void startOrResume();
    void updateCaptionAndTooltip();

    AppContext &ctx_;
    MenuCommands commands_;
    QColor grey_;
    std::array<QString, kLabelCount> labelText_;
    std::array<QColor, kLabelCount> labelColor_;
    bool preEnabled_ = true;
    bool nextEnabled_ = true;
    bool rndEnabled_ = true;
    QString caption_;
    QString tooltip_;
    PlayMode playMode_;
    QString topCaption_;
    QString siteUrl_;
    QColor backColor_;
    bool inTick_ = false;
    bool held_ = false;
    bool handOffWatched_ = false;
    bool unsavedLeft_ = false; // the store refused writes the tick retries
    // Ticks left that read the hand-off after the store last changed; the
    // second copy's write may become visible a moment after the change is
    // seen, so one read is not enough.
    int handOffChecksLeft_ = 0;
    bool listRefreshPending_ = false;
    // The user paused the current song (cleared by play and stop).
    bool paused_ = false;
};
