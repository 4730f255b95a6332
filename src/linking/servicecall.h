#pragma once

#include "apicall.h"

#include <QDomDocument>
#include <QString>

// The service calls of linking and task creation: the signed-in user's "api_key" and "auth_token" go
// first, the request layer shows failures (not silent), and the reply counts only when its status is "ok".
namespace ServiceCall {

// False when the request failed or the status is not "ok"; `reply` holds the parsed reply either way.
bool get(const QString &method, const ApiCall::Parameters &parameters, QDomDocument &reply);
bool post(const QString &method, const ApiCall::Parameters &parameters, QDomDocument &reply);

// What became of a call that changes something on the service. Only a readable refusal or a request
// that never got there is NotDone; a lost or unreadable answer leaves the outcome Unknown.
enum class Outcome { Done, NotDone, Unknown };

// Posts like post(), telling the three outcomes apart.
Outcome change(const QString &method, const ApiCall::Parameters &parameters, QDomDocument &reply);

// The attribute of the first element with this tag name; empty when there is none.
QString firstAttribute(const QDomDocument &reply, const QString &tagName, const QString &attribute);

} // namespace ServiceCall
