// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// How playback goes on when a song ends. Stored and shown as its Chinese
// name; a stored text that names none of the five is kept as it is: it is
// shown, the next-mode command leaves it alone, and it never advances
// playback (one song at a time).
class PlayMode {
public:
    enum class Kind { ListOnce, ListLoop, Shuffle, SongOnce, SongLoop, Other };

    PlayMode() = default; // ListOnce
    static PlayMode fromText(const QString &text);
    // The five names in the order the next-mode command steps through them;
    // the n-th is the name of the n-th Kind.
    static const QStringList &cycle();

    Kind kind() const { return kind_; }
    const QString &text() const { return text_; }
    // The successor in the cycle; Other is its own successor.
    PlayMode next() const;

    bool operator==(const PlayMode &) const = default;

private:
    Kind kind_ = Kind::ListOnce;
    QString text_ = QStringLiteral("列表播放");
};
