#include "SafeRedirects.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <algorithm>
#include <iterator>

namespace {
// Where the reply keeps that it was stopped at a redirect to plain HTTP.
constexpr char refusedProperty[] = "quillmarshRefusedRedirect";
}

QNetworkReply* SafeRedirects::get(QNetworkAccessManager& manager, QNetworkRequest request)
{
    // Qt refuses HTTPS to plain HTTP itself; plain HTTP to plain HTTP is stopped here.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limit);
    QNetworkReply* reply = manager.get(request);
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& target) {
        if (target.scheme() == QLatin1String("https"))
            return;
        reply->setProperty(refusedProperty, true);
        reply->abort();
    });
    return reply;
}

QString SafeRedirects::refusal(const QNetworkReply& reply)
{
    if (reply.error() == QNetworkReply::TooManyRedirectsError)
        return QStringLiteral("too many redirects");
    if (reply.error() == QNetworkReply::InsecureRedirectError || reply.property(refusedProperty).toBool())
        return QStringLiteral("redirected to an address that isn\u2019t HTTPS");
    return {};
}

bool SafeRedirects::isRedirect(const QNetworkReply& reply)
{
    // The statuses Qt redirects on, before it has worked out where to.
    static constexpr int redirects[] = {301, 302, 303, 305, 307, 308};
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return std::find(std::begin(redirects), std::end(redirects), status) != std::end(redirects)
           && reply.hasRawHeader("Location");
}
