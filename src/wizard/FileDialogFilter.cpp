#include "wizard/FileDialogFilter.h"

#include <QRegularExpression>

namespace {

QString describe(QString description, const QString &patterns)
{
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    description.remove(shownPatterns);
    QStringList list;
    for (const QString &p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = p.trimmed();
        if (!pattern.isEmpty())
            list << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return description.trimmed() + QStringLiteral(" (") + list.join(QLatin1Char(' ')) + QLatin1Char(')');
}

} // namespace

QStringList NameFiltersFromFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        result << describe(parts[i], parts[i + 1]);
    return result;
}
