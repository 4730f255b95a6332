#include "replyshape.h"

#include "apireply.h"

#include <QXmlStreamReader>

QString ReplyShape::sizeProblem(const QString &xml)
{
    if (xml.size() > ApiReply::MaxReplyBytes) {
        return QStringLiteral("The reply is larger than %1 MB.").arg(ApiReply::MaxReplyBytes / (1024 * 1024));
    }
    return QString();
}

QString ReplyShape::problem(const QXmlStreamReader &reader)
{
    switch (reader.tokenType()) {
    case QXmlStreamReader::DTD:
        return QStringLiteral("The reply carries a document type declaration.");
    case QXmlStreamReader::EntityReference:
        return QStringLiteral("The reply refers to an entity.");
    case QXmlStreamReader::StartElement:
        if (++m_depth > ApiReply::MaxDepth) {
            return QStringLiteral("The reply nests deeper than %1 levels.").arg(ApiReply::MaxDepth);
        }
        return QString();
    case QXmlStreamReader::EndElement:
        --m_depth;
        return QString();
    default:
        return QString();
    }
}
