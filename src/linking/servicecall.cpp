#include "servicecall.h"

#include "apireply.h"
#include "apirequest.h"
#include "messagebox.h"
#include "settings.h"

#include <QCoreApplication>

namespace {

ApiCall::Parameters withCredentials(const ApiCall::Parameters &parameters)
{
    const Settings *settings = Settings::instance();
    ApiCall::Parameters all{{QStringLiteral("api_key"), settings->value(Setting::ApiKey)},
                            {QStringLiteral("auth_token"), settings->value(Setting::AuthToken)}};
    all.append(parameters);
    return all;
}

ApiRequest *judged(QObject *context, const ServiceCall::Answer &answer)
{
    return (new ApiRequest(false))->then(context, [answer](const ApiRequest &request) {
        answer(request.isOk() && ApiReply::isOk(request.document()), request.document());
    });
}

ServiceCall::Outcome outcomeOf(const ApiRequest &request)
{
    const QString status = ApiReply::status(request.document());
    if (request.isOk() && status == QLatin1String("ok")) {
        return ServiceCall::Outcome::Done;
    }
    // The service read the request and said no; or the request never left.
    if (!status.isEmpty() && status != QLatin1String("ok")) {
        return ServiceCall::Outcome::NotDone;
    }
    if (!request.isOk() && !request.mayHaveArrived()) {
        if (!request.failureText().isEmpty()) {
            MessageBox::warning(nullptr, QCoreApplication::translate("ServiceCall", "Network error"),
                                request.failureText());
        }
        return ServiceCall::Outcome::NotDone;
    }
    return ServiceCall::Outcome::Unknown;
}

} // namespace

void ServiceCall::get(QObject *context, const QString &method, const ApiCall::Parameters &parameters,
                      const Answer &answer)
{
    judged(context, answer)->startGet(method, withCredentials(parameters), false);
}

void ServiceCall::post(QObject *context, const QString &method, const ApiCall::Parameters &parameters,
                       const Answer &answer)
{
    judged(context, answer)->startPost(method, withCredentials(parameters), false);
}

void ServiceCall::change(QObject *context, const QString &method, const ApiCall::Parameters &parameters,
                         const ChangeAnswer &answer)
{
    // Network failures are told here, not by the request: an answer lost on the way is for the
    // caller to explain (the change may have been made), in one box.
    (new ApiRequest(true))
        ->then(context, [answer](const ApiRequest &request) { answer(outcomeOf(request), request.document()); })
        ->startPost(method, withCredentials(parameters), false);
}

QString ServiceCall::firstAttribute(const QDomDocument &reply, const QString &tagName, const QString &attribute)
{
    return ApiReply::firstElement(reply, tagName).attribute(attribute);
}
