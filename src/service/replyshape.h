#pragma once

#include <QString>

class QXmlStreamReader;

// Refuses hostile replies while they are read as a stream, before anything is built from them: too large,
// nesting deeper than any reply of the service, or carrying a document type declaration (entities).
class ReplyShape
{
public:
    // Why a text of this size is refused; empty when it is not.
    static QString sizeProblem(const QString &xml);

    // Why the token the reader has just read makes the reply unacceptable; empty when it does not.
    QString problem(const QXmlStreamReader &reader);

private:
    int m_depth = 0;
};
