// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogfilter.h"

#include <QRegularExpression>

namespace {
bool endsWithPatterns(const QString &label, const QStringList &patterns)
{
    const qsizetype open = label.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !label.endsWith(QLatin1Char(')')))
        return false;
    const QString inner = label.mid(open + 1, label.size() - open - 2);
    return inner.split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts)
           == patterns;
}
} // namespace

QStringList qtNameFilters(const QString &filter)
{
    QStringList out;
    if (filter.trimmed().isEmpty())
        return out;

    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patterns;
        if (i + 1 < parts.size()) {
            const QStringList raw = parts.at(i + 1).split(QLatin1Char(';'));
            for (const QString &p : raw) {
                // Qt separates wildcards by blanks, so blanks inside one would
                // split it; such patterns do not occur in the player's filters.
                const QString t = p.trimmed();
                if (!t.isEmpty())
                    patterns << t;
            }
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        // Qt reads the last parenthesised group as the patterns. A
        // description such as "歌集(*.yyu)" that already ends in exactly
        // these patterns is shown as it is, not with them a second time.
        const QString label = description.isEmpty() ? patterns.join(QLatin1Char(' ')) : description;
        if (endsWithPatterns(label, patterns))
            out << label;
        else
            out << label % QStringLiteral(" (") % patterns.join(QLatin1Char(' ')) % QLatin1Char(')');
    }
    return out;
}
