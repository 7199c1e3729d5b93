#pragma once
// The redirects a download from a host elsewhere follows: to HTTPS only, and at most `limit` in a
// row (Qt's own policies would follow plain HTTP to plain HTTP). The request's headers, a range
// included, go again to each new address. A redirect the rule refuses ends the reply; from HTTPS
// the plain address is never asked, but from a plain-HTTP host (only one on this computer is
// allowed) Qt may have asked it already when the refusal comes.

#include <QNetworkRequest>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace SafeRedirects {

constexpr int limit = 5;

// Sends the GET, its redirects decided by the rule.
QNetworkReply* get(QNetworkAccessManager& manager, QNetworkRequest request);
// Why the reply's redirect was refused; empty when none was.
QString refusal(const QNetworkReply& reply);
// The reply's headers so far are a redirect's, which is being followed or refused: no answer.
bool isRedirect(const QNetworkReply& reply);

}
