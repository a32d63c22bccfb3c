// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/tagreader.h"

#include "engine/tagtext.h"

#include <QFile>
#include <QLoggingCategory>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>
#include <taglib/trueaudiofile.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <mutex>

Q_LOGGING_CATEGORY(lcTags, "liravo.tags", QtWarningMsg)

namespace {

QString fromTag(const TagLib::String &s)
{
    return QString::fromStdWString(s.toWString());
}

TagLib::String toTag(const QString &s)
{
    return TagLib::String(s.toStdWString());
}

// Old Chinese taggers stored GBK bytes in ID3 fields marked ISO-8859-1 (and
// in ID3v1, which has no encoding at all); TagLib would widen them byte by
// byte. Both handlers give the bytes to the engine's repair instead.
class GbkLatin1Handler : public TagLib::ID3v2::Latin1StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override
    {
        return toTag(repairTagText(QByteArray(data.data(), qsizetype(data.size()))));
    }
};

class GbkId3v1Handler : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override
    {
        // ID3v1 pads its fields with zeros or spaces.
        QByteArray raw(data.data(), qsizetype(data.size()));
        const qsizetype end = raw.indexOf('\0');
        if (end >= 0)
            raw.truncate(end);
        return toTag(repairTagText(raw.trimmed()));
    }
};

// TagLib's complaints about damaged files go to a logging category, not to stderr.
class LogListener : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String &msg) override
    {
        qCDebug(lcTags).noquote() << fromTag(msg).trimmed();
    }
};

void installHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static GbkLatin1Handler latin1;
        static GbkId3v1Handler v1;
        static LogListener listener;
        TagLib::ID3v2::Tag::setLatin1StringHandler(&latin1);
        TagLib::ID3v1::Tag::setStringHandler(&v1);
        TagLib::setDebugListener(&listener);
    });
}

// The cover chosen among a file's pictures: the first front cover, else the
// first picture with data.
struct PictureChoice {
    QByteArray data;
    QString mime;
    bool front = false;

    void offer(const TagLib::ByteVector &bytes, const QString &type, bool isFront)
    {
        if (bytes.isEmpty() || qsizetype(bytes.size()) > kMaxEmbeddedPictureBytes)
            return;
        if (front || (!data.isEmpty() && !isFront))
            return;
        data = QByteArray(bytes.data(), qsizetype(bytes.size()));
        mime = type;
        front = isFront;
    }
};

QString mimeFromBytes(const QByteArray &data)
{
    if (data.startsWith("\xFF\xD8"))
        return QStringLiteral("image/jpeg");
    if (data.startsWith("\x89PNG"))
        return QStringLiteral("image/png");
    if (data.startsWith("GIF8"))
        return QStringLiteral("image/gif");
    if (data.startsWith("BM"))
        return QStringLiteral("image/bmp");
    return {};
}

// Lyrics frames marked ISO-8859-1 do not pass through TagLib's Latin-1
// handler; they are repaired here, a line at a time, since the repair takes
// control characters (the line breaks) as a sign of text that is not Chinese.
QString repairLatin1Lines(const QString &widened)
{
    QStringList lines = widened.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        const bool cr = line.endsWith(QLatin1Char('\r'));
        if (cr)
            line.chop(1);
        line = repairTagText(line.toUtf8());
        if (cr)
            line += QLatin1Char('\r');
    }
    return lines.join(QLatin1Char('\n'));
}

QString lrcTime(qint64 ms)
{
    const qint64 cs = ms / 10;
    return QStringLiteral("[%1:%2.%3]")
        .arg(cs / 6000, 2, 10, QLatin1Char('0'))
        .arg(cs / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(cs % 100, 2, 10, QLatin1Char('0'));
}

// SYLT carries (time, text) pairs; LRC lines say the same in the one form the
// lyrics reader knows. Times in MPEG frames assume 1152 samples at 44.1 kHz.
QString syltAsLrc(const TagLib::ID3v2::SynchronizedLyricsFrame &frame)
{
    using F = TagLib::ID3v2::SynchronizedLyricsFrame;
    const bool frames = frame.timestampFormat() == F::AbsoluteMpegFrames;
    const bool latin1 = frame.textEncoding() == TagLib::String::Latin1;
    QString out;
    for (const F::SynchedText &t : frame.synchedText()) {
        QString text = fromTag(t.text);
        if (latin1)
            text = repairLatin1Lines(text);
        text.remove(QLatin1Char('\r'));
        text = text.trimmed().replace(QLatin1Char('\n'), QLatin1Char(' '));
        const qint64 ms = frames ? qint64(t.time) * 1152 * 1000 / 44100 : qint64(t.time);
        out += lrcTime(ms) + text + QLatin1Char('\n');
    }
    return out;
}

void readId3v2(TagLib::ID3v2::Tag *tag, TagParts parts, FileTags &out, PictureChoice &pic)
{
    if (!tag)
        return;
    const TagLib::ID3v2::FrameListMap &frames = tag->frameListMap();
    if (parts & TagPart::Lyrics && out.lyrics.isEmpty()) {
        auto uslt = frames.find("USLT");
        if (uslt != frames.end())
            for (TagLib::ID3v2::Frame *f : uslt->second)
                if (auto *l = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame *>(f);
                    l && !l->text().isEmpty()) {
                    out.lyrics = fromTag(l->text());
                    if (l->textEncoding() == TagLib::String::Latin1)
                        out.lyrics = repairLatin1Lines(out.lyrics);
                    break;
                }
        auto sylt = frames.find("SYLT");
        if (out.lyrics.isEmpty() && sylt != frames.end())
            for (TagLib::ID3v2::Frame *f : sylt->second)
                if (auto *s = dynamic_cast<TagLib::ID3v2::SynchronizedLyricsFrame *>(f);
                    s && !s->synchedText().isEmpty()) {
                    out.lyrics = syltAsLrc(*s);
                    break;
                }
    }
    if (parts & TagPart::Picture) {
        auto apic = frames.find("APIC");
        if (apic != frames.end())
            for (TagLib::ID3v2::Frame *f : apic->second)
                if (auto *p = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(f))
                    pic.offer(p->picture(), fromTag(p->mimeType()),
                              p->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    }
}

void offerFlacPictures(const TagLib::List<TagLib::FLAC::Picture *> &list, PictureChoice &pic)
{
    for (TagLib::FLAC::Picture *p : list)
        if (p)
            pic.offer(p->data(), fromTag(p->mimeType()),
                      p->type() == TagLib::FLAC::Picture::FrontCover);
}

void readXiph(TagLib::Ogg::XiphComment *tag, TagParts parts, FileTags &out, PictureChoice &pic)
{
    if (!tag)
        return;
    if (parts & TagPart::Lyrics && out.lyrics.isEmpty()) {
        const TagLib::Ogg::FieldListMap &fields = tag->fieldListMap();
        for (const char *key : {"LYRICS", "UNSYNCEDLYRICS"}) {
            auto it = fields.find(key);
            if (it != fields.end() && !it->second.isEmpty() && !it->second.front().isEmpty()) {
                out.lyrics = fromTag(it->second.front());
                break;
            }
        }
    }
    if (parts & TagPart::Picture)
        offerFlacPictures(tag->pictureList(), pic);
}

void readMp4(TagLib::MP4::Tag *tag, TagParts parts, FileTags &out, PictureChoice &pic)
{
    if (!tag)
        return;
    const TagLib::MP4::ItemMap &items = tag->itemMap();
    if (parts & TagPart::Lyrics && out.lyrics.isEmpty()) {
        auto it = items.find("\251lyr");
        if (it != items.end() && !it->second.toStringList().isEmpty())
            out.lyrics = fromTag(it->second.toStringList().front());
    }
    if (parts & TagPart::Picture) {
        auto it = items.find("covr");
        if (it != items.end())
            for (const TagLib::MP4::CoverArt &art : it->second.toCoverArtList()) {
                const QByteArray head(art.data().data(), qMin<qsizetype>(art.data().size(), 8));
                QString mime;
                switch (art.format()) {
                case TagLib::MP4::CoverArt::JPEG: mime = QStringLiteral("image/jpeg"); break;
                case TagLib::MP4::CoverArt::PNG: mime = QStringLiteral("image/png"); break;
                case TagLib::MP4::CoverArt::GIF: mime = QStringLiteral("image/gif"); break;
                case TagLib::MP4::CoverArt::BMP: mime = QStringLiteral("image/bmp"); break;
                default: mime = mimeFromBytes(head); break;
                }
                // MP4 has no picture types: the first is the cover.
                pic.offer(art.data(), mime, true);
            }
    }
}

void readAsf(TagLib::ASF::Tag *tag, TagParts parts, FileTags &out, PictureChoice &pic)
{
    if (!tag)
        return;
    const TagLib::ASF::AttributeListMap &attrs = tag->attributeListMap();
    if (parts & TagPart::Lyrics && out.lyrics.isEmpty()) {
        auto it = attrs.find("WM/Lyrics");
        if (it != attrs.end() && !it->second.isEmpty())
            out.lyrics = fromTag(it->second.front().toString());
    }
    if (parts & TagPart::Picture) {
        auto it = attrs.find("WM/Picture");
        if (it != attrs.end())
            for (const TagLib::ASF::Attribute &a : it->second) {
                const TagLib::ASF::Picture p = a.toPicture();
                if (p.isValid())
                    pic.offer(p.picture(), fromTag(p.mimeType()),
                              p.type() == TagLib::ASF::Picture::FrontCover);
            }
    }
}

void readApe(TagLib::APE::Tag *tag, TagParts parts, FileTags &out)
{
    if (!tag || !(parts & TagPart::Lyrics) || !out.lyrics.isEmpty())
        return;
    const TagLib::APE::ItemListMap &items = tag->itemListMap();
    auto it = items.find("LYRICS");
    if (it != items.end())
        out.lyrics = fromTag(it->second.toString());
}

} // namespace

FileTags readFileTags(const QString &path, TagParts parts)
{
    installHandlers();
    FileTags out;
    // Read-only, so a file the user may not write is read all the same and
    // nothing is ever written back.
    TagLib::FileStream stream(QFile::encodeName(path).constData(), true);
    if (!stream.isOpen())
        return out;
    const bool wantDuration = parts.testFlag(TagPart::Duration);
    TagLib::FileRef ref(&stream, wantDuration, TagLib::AudioProperties::Fast);
    TagLib::File *file = ref.file();
    if (!file || !file->isValid())
        return out;
    out.readable = true;

    if (parts & TagPart::Names) {
        if (TagLib::Tag *tag = file->tag()) {
            out.title = fromTag(tag->title()).trimmed();
            out.artist = fromTag(tag->artist()).trimmed();
            out.album = fromTag(tag->album()).trimmed();
        }
    }
    if (wantDuration && file->audioProperties())
        out.durationMs = qMax(0, file->audioProperties()->lengthInMilliseconds());

    if (!(parts & (TagPart::Lyrics | TagPart::Picture)))
        return out;
    PictureChoice pic;
    if (auto *f = dynamic_cast<TagLib::MPEG::File *>(file)) {
        readId3v2(f->ID3v2Tag(false), parts, out, pic);
        readApe(f->APETag(false), parts, out);
    } else if (auto *f = dynamic_cast<TagLib::FLAC::File *>(file)) {
        readXiph(f->xiphComment(false), parts, out, pic);
        if (parts & TagPart::Picture)
            offerFlacPictures(f->pictureList(), pic);
        readId3v2(f->ID3v2Tag(false), parts, out, pic);
    } else if (auto *f = dynamic_cast<TagLib::MP4::File *>(file)) {
        readMp4(f->tag(), parts, out, pic);
    } else if (auto *f = dynamic_cast<TagLib::RIFF::WAV::File *>(file)) {
        readId3v2(f->ID3v2Tag(), parts, out, pic);
    } else if (auto *f = dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        readId3v2(f->tag(), parts, out, pic);
    } else if (auto *f = dynamic_cast<TagLib::ASF::File *>(file)) {
        readAsf(f->tag(), parts, out, pic);
    } else if (auto *f = dynamic_cast<TagLib::APE::File *>(file)) {
        readApe(f->APETag(false), parts, out);
    } else if (auto *f = dynamic_cast<TagLib::WavPack::File *>(file)) {
        readApe(f->APETag(false), parts, out);
    } else if (auto *f = dynamic_cast<TagLib::MPC::File *>(file)) {
        readApe(f->APETag(false), parts, out);
    } else if (auto *f = dynamic_cast<TagLib::TrueAudio::File *>(file)) {
        readId3v2(f->ID3v2Tag(false), parts, out, pic);
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(file->tag())) {
        // Ogg Vorbis, Opus, Speex and Ogg FLAC all keep a Vorbis comment.
        readXiph(xiph, parts, out, pic);
    }
    out.picture = pic.data;
    out.pictureMime = pic.mime.isEmpty() ? mimeFromBytes(pic.data) : pic.mime;
    return out;
}
