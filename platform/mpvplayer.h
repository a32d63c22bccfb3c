#pragma once
#include "platform/mediaplayer.h"

#include <QObject>
#include <atomic>

struct mpv_handle;
struct mpv_node;
struct MpvApi;

// The media player on libmpv. libmpv and its dependencies are loaded with
// dlopen when the first source is set, so a player that is started and left
// idle never pays for them. The play state is kept here, driven by libmpv's
// events and set at once by every operation, so the timer never reads a state
// left over from the previous source.
class MpvPlayer : public QObject, public MediaPlayer {
    Q_OBJECT
public:
    struct Options {
        // libmpv's "ao" list; empty for the desktop's default output. Where
        // no device can be opened the player falls back to a null output, at
        // once when the machine has neither a sound server nor a sound card.
        QString audioOutput;
        // With the null output: run as fast as the decoder can (tests).
        bool untimed = false;
        QString library = QStringLiteral("libmpv.so.2");
    };
    // Options from LIRAVO_AO, LIRAVO_AO_UNTIMED=1 and LIRAVO_LIBMPV.
    static Options optionsFromEnvironment();

    explicit MpvPlayer(QObject *parent = nullptr);
    explicit MpvPlayer(const Options &options, QObject *parent = nullptr);
    ~MpvPlayer() override;

    void setUrl(const QString &url) override;
    QString url() const override { return url_; }
    void play() override;
    void pause() override;
    void stop() override;
    int playState() const override { return state_; }
    QString title() const override { return title_; }
    QString author() const override { return author_; }
    void setVolume(int volume0to100) override;
    int volume() const override { return volume_; }
    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 ms) override;

    // Whether libmpv has been loaded and started in this player.
    bool engineStarted() const { return handle_ != nullptr; }
    // A numeric engine property ("time-pos", "volume", "duration"), NaN when
    // there is none; for diagnostics and tests.
    double engineNumber(const char *name) const;
    // Runs an engine command as it is ("seek", "quit", ...); diagnostics and tests.
    bool engineCommand(const QList<QByteArray> &args);

Q_SIGNALS:
    // Every change of playState(), including the short-lived ones a poll
    // would miss.
    void stateChanged(int state);

private:
    static void wakeup(void *self);
    bool ensureEngine();
    void startSource();
    void haltEngine();
    void stopEngineNow();
    void drainEvents();
    void readTags();
    void takeTags(const mpv_node &meta);
    void setState(int state);
    bool setPause(bool paused);

    Options options_;
    const MpvApi *api_ = nullptr;
    mpv_handle *handle_ = nullptr;
    bool engineFailed_ = false;
    std::atomic<bool> wakeupPending_{false};

    QString url_;
    QString title_;
    QString author_;
    int state_ = Undefined;
    int volume_ = 100;
    // libmpv's playlist entry of the source we play; events of any other
    // entry (the one a new source replaced) are stale and ignored.
    qint64 activeEntry_ = 0;
    qint64 startedEntry_ = 0;
    bool loaded_ = false;
    bool buffering_ = false;
};
