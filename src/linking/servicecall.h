#pragma once

#include "apicall.h"

#include <QDomDocument>
#include <QString>

#include <functional>

class QObject;

// The service calls of linking and task creation: the signed-in user's "api_key" and "auth_token" go
// first, the request layer shows failures (not silent), and the reply counts only when its status is "ok".
// Each call returns at once; its answer runs once the service answered, unless `context` went first.
namespace ServiceCall {

// `ok` is false when the request failed or the status is not "ok"; `reply` is the parsed reply either way.
using Answer = std::function<void(bool ok, const QDomDocument &reply)>;

void get(QObject *context, const QString &method, const ApiCall::Parameters &parameters, const Answer &answer);
void post(QObject *context, const QString &method, const ApiCall::Parameters &parameters, const Answer &answer);

// What became of a call that changes something on the service. Only a readable refusal or a request
// that never got there is NotDone; a lost or unreadable answer leaves the outcome Unknown.
enum class Outcome { Done, NotDone, Unknown };
using ChangeAnswer = std::function<void(Outcome outcome, const QDomDocument &reply)>;

// Posts like post(), telling the three outcomes apart.
void change(QObject *context, const QString &method, const ApiCall::Parameters &parameters, const ChangeAnswer &answer);

// The attribute of the first element with this tag name; empty when there is none.
QString firstAttribute(const QDomDocument &reply, const QString &tagName, const QString &attribute);

} // namespace ServiceCall
