// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/playmode.h"

const QStringList &PlayMode::cycle()
{
    static const QStringList names = {QStringLiteral("列表播放"), QStringLiteral("列表循环"),
                                      QStringLiteral("随机播放"), QStringLiteral("单曲播放"),
                                      QStringLiteral("单曲循环")};
    return names;
}

PlayMode PlayMode::fromText(const QString &text)
{
    PlayMode m;
    m.text_ = text;
    const int i = cycle().indexOf(text);
    m.kind_ = i < 0 ? Kind::Other : Kind(i); // Kind lists the modes in cycle order
    return m;
}

PlayMode PlayMode::next() const
{
    const int i = cycle().indexOf(text_);
    if (i < 0)
        return *this;
    return fromText(cycle().at((i + 1) % cycle().size()));
}
