// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/playmode.h"
#include "base/songcollection.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

// Where the user left off, kept across runs: the collection in use with every
// entry (saved or not), its file path, its unsaved-changes flag, the current
// entry (collection.currentIndex, 1-based, 0 for none), the position in the
// song and the play mode. `playing` is not kept: a resumed player waits.
struct SessionState {
    SongCollection collection;
    qint64 positionMs = 0;
    PlayMode mode;

    bool operator==(const SessionState &) const = default;
};

// $XDG_STATE_HOME/liravo/session, or ~/.local/state/liravo/session.
QString sessionFilePath();

// The file's bytes: UTF-8 JSON with a format name and a version.
QByteArray serializeSession(const SessionState &state);
// Reads bytes written by serializeSession. Anything else (not JSON, another
// format or a newer version, more than 100 entries, fields of the wrong kind,
// over kMaxSessionBytes) gives nothing and, when why is given, the reason in
// Chinese.
std::optional<SessionState> parseSession(QByteArrayView bytes, QString *why = nullptr);

inline constexpr qint64 kMaxSessionBytes = 4 * 1024 * 1024;

struct SessionLoad {
    // Nothing when there was no file or it could not be used.
    std::optional<SessionState> state;
    // For the window, in Chinese: why the file could not be used and where
    // it was put aside. Empty when there was nothing to tell.
    QString error;
    // Local entries (1-based numbers) whose file is gone; they stay in the
    // collection and the caller marks them.
    QList<int> missing;
};

// Reads the session file. A file that cannot be read or used is renamed to
// "<path>.bad-<UTC time>" (never deleted, never read again) and reported
// through error; the start goes on without it.
SessionLoad readSessionFile(const QString &path = sessionFilePath());
// Writes the file through a temporary file and a rename, making its folder
// (0700) first. On failure *error holds the reason in Chinese.
bool writeSessionFile(const SessionState &state, QString *error,
                      const QString &path = sessionFilePath());

// Writes the session a moment after each change, so a burst of changes (a
// seek dragged along the bar, ten songs added) costs one write, and at once
// when asked (at exit). It never writes on its own otherwise.
class SessionSaver : public QObject {
    Q_OBJECT
public:
    // source gives the state to write at the moment of writing.
    explicit SessionSaver(std::function<SessionState()> source,
                          QString path = sessionFilePath(), int delayMs = 2000,
                          QObject *parent = nullptr);

    // Something worth keeping changed; the write follows delayMs later (a
    // later change within that time does not push the write further out).
    void changed();
    // Writes now whether anything is pending or not; a pending write is
    // dropped. Returns whether the file was written.
    bool saveNow();
    bool pending() const { return timer_.isActive(); }

Q_SIGNALS:
    // A write failed after the previous one succeeded (once per run of
    // failures, so a full disk does not bring a message every two seconds).
    void saveFailed(const QString &why);

private:
    std::function<SessionState()> source_;
    QString path_;
    QTimer timer_;
    bool lastFailed_ = false;
};
