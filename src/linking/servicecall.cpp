#include "servicecall.h"

#include "apireply.h"
#include "apirequest.h"
#include "messagebox.h"
#include "settings.h"

namespace {

ApiCall::Parameters withCredentials(const ApiCall::Parameters &parameters)
{
    const Settings *settings = Settings::instance();
    ApiCall::Parameters all{{QStringLiteral("api_key"), settings->value(Setting::ApiKey)},
                            {QStringLiteral("auth_token"), settings->value(Setting::AuthToken)}};
    all.append(parameters);
    return all;
}

bool judge(bool sent, const QString &text, QDomDocument &reply)
{
    reply = ApiReply::parse(text);
    return sent && ApiReply::isOk(reply);
}

} // namespace

bool ServiceCall::get(const QString &method, const ApiCall::Parameters &parameters, QDomDocument &reply)
{
    ApiRequest request(false);
    QString text;
    const bool sent = request.get(method, withCredentials(parameters), text, false);
    return judge(sent, text, reply);
}

bool ServiceCall::post(const QString &method, const ApiCall::Parameters &parameters, QDomDocument &reply)
{
    ApiRequest request(false);
    QString text;
    const bool sent = request.post(method, withCredentials(parameters), text, false);
    return judge(sent, text, reply);
}

ServiceCall::Outcome ServiceCall::change(const QString &method, const ApiCall::Parameters &parameters,
                                         QDomDocument &reply)
{
    // Network failures are told here, not by the request: an answer lost on the way is for the
    // caller to explain (the change may have been made), in one box.
    ApiRequest request(true);
    QString text;
    const bool sent = request.post(method, withCredentials(parameters), text, false);
    reply = ApiReply::parse(text);
    const QString status = ApiReply::status(reply);
    if (sent && status == QLatin1String("ok")) {
        return Outcome::Done;
    }
    // The service read the request and said no; or the request never left.
    if (!status.isEmpty() && status != QLatin1String("ok")) {
        return Outcome::NotDone;
    }
    if (!sent && !request.mayHaveArrived()) {
        if (!request.failureText().isEmpty()) {
            MessageBox::warning(nullptr, QStringLiteral("Network error"), request.failureText());
        }
        return Outcome::NotDone;
    }
    return Outcome::Unknown;
}

QString ServiceCall::firstAttribute(const QDomDocument &reply, const QString &tagName, const QString &attribute)
{
    return ApiReply::firstElement(reply, tagName).attribute(attribute);
}
