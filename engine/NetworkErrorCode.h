#pragma once
// The numeric code of a failed transfer, in the well-known URL-loading numbering that servers,
// logs and callers already use (-1001 timed out, -1004 cannot connect, ...).

#include <QNetworkReply>

int urlErrorCode(QNetworkReply::NetworkError error);
