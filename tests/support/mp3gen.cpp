// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp3gen.h"

#include <QFile>
#include <cmath>

namespace {

void putBigEndian32(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

QByteArray textFrame(const char *id, char encoding, const QByteArray &payload)
{
    QByteArray frame(id, 4);
    putBigEndian32(frame, quint32(payload.size() + 1));
    frame.append('\0').append('\0'); // flags
    frame.append(encoding).append(payload);
    return frame;
}

QByteArray utf16WithBom(const QString &s)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : s)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out;
}

QByteArray id3v2(const Mp3Recipe &recipe)
{
    QByteArray frames;
    if (!recipe.title.isEmpty())
        frames += textFrame("TIT2", 1, utf16WithBom(recipe.title));
    if (!recipe.artist.isEmpty())
        frames += textFrame("TPE1", 1, utf16WithBom(recipe.artist));
    if (!recipe.latin1Title.isEmpty())
        frames += textFrame("TIT2", 0, recipe.latin1Title);
    if (!recipe.latin1Artist.isEmpty())
        frames += textFrame("TPE1", 0, recipe.latin1Artist);
    if (frames.isEmpty())
        return {};
    QByteArray tag("ID3\x03\x00\x00", 6);
    const quint32 n = quint32(frames.size());
    // The tag size is "syncsafe": seven bits per byte.
    tag.append(char((n >> 21) & 0x7F)).append(char((n >> 14) & 0x7F))
        .append(char((n >> 7) & 0x7F)).append(char(n & 0x7F));
    return tag + frames;
}

QByteArray id3v1(const Mp3Recipe &recipe)
{
    if (recipe.v1Title.isEmpty() && recipe.v1Artist.isEmpty())
        return {};
    auto field = [](const QByteArray &b, int width) {
        QByteArray f = b.left(width);
        f.append(QByteArray(width - f.size(), '\0'));
        return f;
    };
    QByteArray tag("TAG");
    tag += field(recipe.v1Title, 30) + field(recipe.v1Artist, 30) + field({}, 30)
        + field("2014", 4) + field({}, 30);
    tag.append(char(0xFF)); // no genre
    return tag;
}

} // namespace

QByteArray makeMp3(const Mp3Recipe &recipe)
{
    // 144 * 128000 / 44100 = 417.96 bytes per frame; unpadded frames of 417
    // bytes keep the file simple and within 0.1 % of the nominal bitrate.
    // All-zero side information means no Huffman data: digital silence.
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    const int frames = std::max(1, int(std::lround(recipe.seconds * 44100.0 / 1152.0)));
    QByteArray out = id3v2(recipe);
    out.reserve(out.size() + frames * frame.size() + 128);
    for (int i = 0; i < frames; ++i)
        out += frame;
    return out + id3v1(recipe);
}

bool writeMp3(const QString &path, const Mp3Recipe &recipe)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray data = makeMp3(recipe);
    return f.write(data) == data.size();
}
