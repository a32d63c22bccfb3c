#include "platform/dialogfilter.h"

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
        // Qt reads the last parenthesised group as the patterns, so a
        // description such as "歌集(*.yyu)" keeps its own brackets intact.
        const QString label = description.isEmpty() ? patterns.join(QLatin1Char(' ')) : description;
        out << label % QStringLiteral(" (") % patterns.join(QLatin1Char(' ')) % QLatin1Char(')');
    }
    return out;
}
