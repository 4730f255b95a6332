#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QString>

// How a service method goes on the wire: the base URL "RealApiBaseUrl" plus the method name, GET
// parameters as query items and POST parameters as a form body, in the order given.
namespace ApiCall {

struct Parameter
{
    QString name;
    QString value;
    // Free text (descriptions, names) that must be percent-encoded in a form body.
    bool encoded = false;
};
using Parameters = QList<Parameter>;

// UTF-8 bytes, every byte outside A-Z a-z 0-9 - . _ ~ as %XX with upper-case hex digits.
QByteArray percentEncode(const QString &value);

// Form body "name=value&..." in order. Values marked encoded are percent-encoded; the others stay
// plain except for the bytes that would break the pairs or be decoded by the server.
QByteArray formBody(const Parameters &parameters);

QUrl methodUrl(const QString &method);
QNetworkRequest getRequest(const QString &method, const Parameters &parameters);
QNetworkRequest postRequest(const QString &method);

} // namespace ApiCall
