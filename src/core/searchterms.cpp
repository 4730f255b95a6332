#include "searchterms.h"

#include <QRegularExpression>

QStringList splitSearchTerms(const QString &text)
{
    // The usual empty filter: no pattern compiled for it.
    if (text.trimmed().isEmpty()) {
        return {};
    }
    static const QRegularExpression pattern(QStringLiteral("([^\\s\\\"]+)\\s|\\\"([^\\\"]+)\\\""),
                                            QRegularExpression::CaseInsensitiveOption);
    QStringList terms;
    auto matches = pattern.globalMatch(text + QLatin1Char(' '));
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (!match.captured(1).isEmpty()) {
            terms << match.captured(1);
        }
        if (!match.captured(2).isEmpty()) {
            terms << match.captured(2);
        }
    }
    return terms;
}
