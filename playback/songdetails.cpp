// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/songdetails.h"

#include "collection/coverart.h"
#include "collection/tagreader.h"
#include "playback/player.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

SongDetails::SongDetails(Player &player, QObject *parent) : QObject(parent), player_(player)
{
    connect(&player_, &Player::currentChanged, this, &SongDetails::currentMayHaveChanged);
    connect(&player_, &Player::collectionChanged, this, &SongDetails::currentMayHaveChanged);
}

QString SongDetails::currentKey() const
{
    return player_.currentEntryKey();
}

void SongDetails::currentMayHaveChanged()
{
    const QString key = currentKey();
    if (key == details_.key)
        return;
    const quint64 ask = ++asked_;
    details_ = Details{key, {}, {}, {}, {}, {}};
    const SongCollection &c = player_.collection();
    const SongEntry *e = key.isEmpty() ? nullptr : &c.entry(c.currentIndex);
    // Web addresses have no file to read; a local path does, whether the
    // entry came from a list or was opened on its own.
    if (!e || !e->address.startsWith(QLatin1Char('/'))) {
        ready_ = true;
        Q_EMIT changed();
        return;
    }
    ready_ = false;
    Q_EMIT changed();
    const QString path = e->address;
    QPointer<SongDetails> self(this);
    QThreadPool::globalInstance()->start([self, ask, key, path] {
        const FileTags tags = readFileTags(path, TagPart::Names | TagPart::Picture);
        const std::optional<CoverArt> cover =
            findCoverArt(path, EmbeddedPicture{tags.picture, tags.pictureMime});
        Details d{key, tags.title, tags.artist, tags.album, {}, {}};
        if (cover) {
            d.coverPath = cover->path;
            d.cover = cover->image;
        }
        QMetaObject::invokeMethod(
            qApp ? static_cast<QObject *>(qApp) : nullptr,
            [self, ask, d = std::move(d)]() mutable {
                if (!self || self->asked_ != ask)
                    return;
                self->details_ = std::move(d);
                self->ready_ = true;
                Q_EMIT self->changed();
            },
            Qt::QueuedConnection);
    });
}
