#pragma once

#include <QStringList>

// Splits a filter or title condition into words and double-quoted phrases:
// report "budget 2012" notes -> report, budget 2012, notes. A lone quote is dropped.
QStringList splitSearchTerms(const QString &text);
