#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QString>

// Reading service replies. A reply text keeps one character per byte of what the service sent
// (UTF-8), so texts meant for people are decoded with fromWire() when they are taken out.
namespace ApiReply {

// The body up to the first NUL byte, one character per byte.
QString fromBody(const QByteArray &body);

// Bytes kept one character per byte, read as UTF-8; and back.
QString fromWire(const QString &text);
QString toWire(const QString &text);

// Replies larger than this are refused, on the wire and when parsed.
constexpr qsizetype MaxReplyBytes = 16 * 1024 * 1024;
// No reply of the service nests deeper than a handful of levels; deeper ones are refused.
constexpr int MaxDepth = 64;

// Parses the text; an unparsable text gives a null document, and so does one that is larger than
// MaxReplyBytes, nests deeper than MaxDepth or carries a document type declaration (entities).
// `why`, when given, says what was wrong.
QDomDocument parse(const QString &xml, QString *why = nullptr);

// The root element's "status" attribute; empty when there is none or the text is no document.
QString status(const QDomDocument &document);
QString status(const QString &xml);
bool isOk(const QDomDocument &document);

// True when the root's status is "error". Fills code and message (decoded) from the first "error"
// element when there is one; otherwise they are left as they were.
bool isError(const QString &xml, QString &code, QString &message);
bool isError(const QDomDocument &document, QString &code, QString &message);

// The first element with this tag name anywhere in the document; null when there is none.
QDomElement firstElement(const QDomDocument &document, const QString &tagName);
QDomElement firstElement(const QDomElement &parent, const QString &tagName);

} // namespace ApiReply
