#include "apireply.h"

#include <QDomNodeList>

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

QDomDocument ApiReply::parse(const QString &xml)
{
    QDomDocument document;
    if (xml.isEmpty() || !document.setContent(xml)) {
        return QDomDocument();
    }
    return document;
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
    if (xml.isEmpty()) {
        return false;
    }
    const QDomDocument document = parse(xml);
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
