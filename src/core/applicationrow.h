#pragma once

#include <QString>

// One recorded application: it is identified by its path and name together.
struct ApplicationRow
{
    qint64 id = 0;
    QString path;
    QString name;
};
