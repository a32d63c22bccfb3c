// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test doubles for the platform services.
#include "ui/navigator.h"
#include "desktop/browser.h"
#include "desktop/dialogs.h"
#include "net/downloader.h"
#include "desktop/fileassociation.h"
#include "net/httpclient.h"
#include "store/instancelock.h"
#include "engine/mediaplayer.h"
#include "desktop/processlauncher.h"
#include "desktop/trayicon.h"

#include <QHash>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>
#include <optional>

// A media player driven by the test: it records every call and reports
// whatever state the test sets. setUrl moves to Transitioning, as a real
// engine does while opening a source.
class FakeMediaPlayer : public MediaPlayer {
public:
    void setUrl(const QString &url) override;
    QString url() const override { return url_; }
    void setNextUrl(const QString &url) override;
    void play() override;
    void pause() override;
    void stop() override;
    PlayState playState() const override { return state; }
    QString title() const override { return titleTag; }
    QString author() const override { return authorTag; }
    void setVolume(int v) override { volume_ = v; calls << QStringLiteral("volume %1").arg(v); }
    int volume() const override { return volume_; }
    void setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb) override;
    qint64 position() const override { return positionMs; }
    qint64 duration() const override { return durationMs; }
    void seek(qint64 ms) override;
    void setObserver(MediaPlayerObserver *o) override { observer = o; }
    // Sets the state or the title tag and tells the observer, as an engine does.
    void report(PlayState s);
    void reportTitle(const QString &title);
    // GStreamer found no decoder for the current source: the engine names
    // the packages, then the source ends in Stopped.
    void reportDecoderMissing(const QStringList &packages);
    // The current source ends by itself: the next one follows without a gap
    // (reported as an advance) when one was given, else the state turns Stopped.
    void finish();

    MediaPlayerObserver *observer = nullptr;
    PlayState state = Undefined;
    qint64 positionMs = -1;
    qint64 durationMs = -1;
    QList<qint64> seeks; // every seek asked for, in order
    QString titleTag;
    QString authorTag;
    QString nextUrl;   // from setNextUrl, cleared by setUrl and by the advance
    QStringList nexts; // every setNextUrl, in order
    QStringList calls; // "setUrl <url>", "play", "pause", "stop", "volume <n>",
                       // "seek <ms>", "gain <mode> <preamp> <fallback>"
    QStringList urls;  // every URL set, in order
    int plays = 0, pauses = 0, stops = 0;
    // The state play() moves to (Transitioning by default; tests set Playing).
    PlayState stateAfterPlay = Transitioning;

private:
    QString url_;
    int volume_ = 50;
};

// Answers dialogs from queues and records what was asked.
class FakeDialogs : public Dialogs {
public:
    struct Asked {
        QString kind;   // "message", "input", "open", "save", "color", "folder"
        QString text;   // message text / prompt / filter / title
        QString title;  // title / proposed name
        QString extra;  // default text of an input box
        Buttons buttons = Buttons::Ok;
    };

    Answer messageBox(const QString &text, const QString &title, Buttons buttons,
                      Icon icon) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString openFile(const QString &filter, const QString &proposedName) override;
    QStringList openFiles(const QString &filter) override;
    QString saveFile(const QString &filter, const QString &proposedName) override;
    std::optional<qint32> chooseColor() override;
    QString browseForFolder(const QString &title, QWidget *owner) override;

    // Queued answers; an empty queue answers Ok/No, "" (cancel) or nothing.
    QQueue<Answer> messageAnswers;
    QQueue<QString> inputAnswers;
    QQueue<QString> openAnswers;
    QQueue<QStringList> openManyAnswers;
    QQueue<QString> saveAnswers;
    QQueue<std::optional<qint32>> colorAnswers;
    QQueue<QString> folderAnswers;

    QList<Asked> asked;
    int count(const QString &kind) const;
    // Called after recording each question, e.g. to check state mid-dialog.
    std::function<void(const Asked &)> onAsk;

private:
    void record(const Asked &a);
};

// Serves canned responses by exact URL; unknown URLs fail as a transport error.
class FakeHttpClient : public HttpClient {
public:
    Response get(const QString &url) override;
    // Writes a canned 2xx body into the sink, refused past maxBytes.
    Response download(const QString &url, QIODevice &sink, qint64 maxBytes,
                      const Progress &progress = {}) override;
    void setTimeoutMs(int ms) override { timeoutMs = ms; }
    void setMaxBodyBytes(qint64 bytes) override { maxBodyBytes = bytes; }
    void setInterruptible(bool on) override { interruptible = on; }
    void cancel() override { ++cancels; }
    bool busy() const override { return isBusy; }

    void respond(const QString &url, const QByteArray &body, int status = 200);
    void fail(const QString &url, Error error, const QString &text = QStringLiteral("failed"));

    QHash<QString, Response> responses;
    QStringList requested;
    int timeoutMs = 0;
    qint64 maxBodyBytes = 0;  // 0: no cap; otherwise longer bodies fail as TooLarge
    bool interruptible = false;
    int cancels = 0;
    bool isBusy = false; // a request in flight
    // Runs before each answer, e.g. to cancel or to check state mid-search.
    std::function<void(const QString &url)> onGet;
};

class FakeBrowser : public Browser {
public:
    bool openUrl(const QString &url) override { opened << url; return succeed; }
    QStringList opened;
    bool succeed = true;
};

class FakeTrayIcon : public TrayIcon {
public:
    bool available() const override { return hostAvailable; }
    void add(const QIcon &, const QString &tip) override { tip_ = tip; shown_ = true; ++adds; }
    void modify(const QString &tip) override { tip_ = tip; ++modifies; }
    void remove() override { shown_ = false; ++removes; }
    QString tooltip() const { return tip_; }
    bool visible() const { return shown_; }
    // What the user does to the icon; false when nobody listens.
    bool middleClick() { return onMiddleClick ? (onMiddleClick(), true) : false; }
    bool turnWheel(int angleDelta) { return onWheel ? (onWheel(angleDelta), true) : false; }

    bool hostAvailable = true;
    int adds = 0, modifies = 0, removes = 0;

private:
    QString tip_;
    bool shown_ = false;
};

class FakeInstanceLock : public InstanceLock {
public:
    bool tryLock() override { held = !otherCopyRunning; return held; }
    void unlock() override { held = false; }
    bool otherCopyRunning = false;
    bool held = false;
};

class FakeFileAssociation : public FileAssociation {
public:
    bool associateMp3(const QString &exe) override { registered << exe; return succeed; }
    QStringList registered;
    bool succeed = true;
};

class FakeDownloader : public Downloader {
public:
    bool download(const QString &url, const QString &filePath, QString *errorText = nullptr,
                  qint64 maxBytes = kDefaultMaxBytes, const Progress &progress = {}) override;
    QHash<QString, QByteArray> files; // url -> content; unknown or too large urls fail
    QStringList requested;
};

class FakeProcessLauncher : public ProcessLauncher {
public:
    bool startDetached(const QString &program, const QStringList &args,
                       const QString &workingDir) override;
    struct Started { QString program; QStringList args; QString workingDir; };
    QList<Started> started;
    bool succeed = true;
};

// The calls windows make on each other, each forwarded to its function when
// one is set; `main` is the main window the windows see.
struct FakeNavigator : Navigator {
    QWidget *existingMainWindow() override { return main; }
    void showSongList() override { call(onShowSongList); }
    void closeSongList() override { call(onCloseSongList); }
    void showSearchWindow() override { call(onShowSearchWindow); }
    void closeSearchWindow() override { call(onCloseSearchWindow); }
    void showScanWindow() override { call(onShowScanWindow); }
    void showUpdaterWindow() override { call(onShowUpdaterWindow); }
    void exitProgram() override { call(onExitProgram); }

    QWidget *main = nullptr;
    std::function<void()> onShowSongList, onCloseSongList, onShowSearchWindow,
        onCloseSearchWindow, onShowScanWindow, onShowUpdaterWindow, onExitProgram;

private:
    static void call(const std::function<void()> &f)
    {
        if (f)
            f();
    }
};

// The top-level window of that object name the program has made, or null.
QWidget *topLevelWindow(const QString &objectName);
