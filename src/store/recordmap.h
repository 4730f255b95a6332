#pragma once

#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// The columns of a result row by name.
inline QMap<QString, QVariant> recordMap(const QSqlRecord &record)
{
    QMap<QString, QVariant> map;
    for (int column = 0; column < record.count(); ++column) {
        map.insert(record.fieldName(column), record.value(column));
    }
    return map;
}
