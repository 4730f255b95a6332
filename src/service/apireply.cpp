#include "apireply.h"

#include "replyshape.h"

#include <QDomNodeList>
#include <QXmlStreamReader>

namespace {
// Walks the text once without building anything, so a hostile reply is refused before the DOM
// parser (whose work and memory grow with depth and entity expansion) sees it.
QString checkShape(const QString &xml)
{
    const QString tooLarge = ReplyShape::sizeProblem(xml);
    if (!tooLarge.isEmpty()) {
        return tooLarge;
    }
    QXmlStreamReader reader(xml);
    ReplyShape shape;
    while (!reader.atEnd()) {
        reader.readNext();
        const QString problem = shape.problem(reader);
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return reader.hasError() ? reader.errorString() : QString();
}
} // namespace

QString ApiReply::fromBody(const QByteArray &body)
{
    const qsizetype nul = body.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? body : body.left(nul));
}

QString ApiReply::fromWire(const QString &text)
{
    return QString::fromUtf8(text.toLatin1());
}

QString ApiReply::toWire(const QString &text)
{
    return QString::fromLatin1(text.toUtf8());
}

QDomDocument ApiReply::parse(const QString &xml, QString *why)
{
    QString problem = xml.isEmpty() ? QStringLiteral("The reply is empty.") : checkShape(xml);
    QDomDocument document;
    if (problem.isEmpty() && !document.setContent(xml, &problem)) {
        document = QDomDocument();
    }
    if (why) {
        *why = problem;
    }
    return problem.isEmpty() ? document : QDomDocument();
}

QString ApiReply::status(const QDomDocument &document)
{
    return document.documentElement().attribute(QStringLiteral("status"));
}

QString ApiReply::status(const QString &xml)
{
    return status(parse(xml));
}

bool ApiReply::isOk(const QDomDocument &document)
{
    return status(document) == QLatin1String("ok");
}

bool ApiReply::isError(const QString &xml, QString &code, QString &message)
{
    return !xml.isEmpty() && isError(parse(xml), code, message);
}

bool ApiReply::isError(const QDomDocument &document, QString &code, QString &message)
{
    if (status(document) != QLatin1String("error")) {
        return false;
    }
    const QDomElement error = firstElement(document, QStringLiteral("error"));
    if (!error.isNull()) {
        code = error.attribute(QStringLiteral("code"));
        message = fromWire(error.attribute(QStringLiteral("message")));
    }
    return true;
}

QDomElement ApiReply::firstElement(const QDomDocument &document, const QString &tagName)
{
    return document.elementsByTagName(tagName).item(0).toElement();
}

QDomElement ApiReply::firstElement(const QDomElement &parent, const QString &tagName)
{
    return parent.elementsByTagName(tagName).item(0).toElement();
}
