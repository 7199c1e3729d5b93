#pragma once
// What a finished network reply says beyond its status: the numeric code of a failed transfer,
// in the well-known URL-loading numbering that servers, logs and callers already use (-1001
// timed out, -1004 cannot connect, ...), and whether the body arrived whole.

#include "Core/BoundedReply.h"

#include <QNetworkReply>

// The code of a reply that was longer than its caller's limit.
constexpr int replyTooLongCode = -1103;

int urlErrorCode(QNetworkReply::NetworkError error);
// A stalled or overdue reply timed out (-1001); one over its limit is replyTooLongCode.
int urlErrorCode(ReplyBreach breach);

// The connection closed before the length the server announced: the transport doesn't always
// report this, so it is checked against what was received.
bool isCutShort(const QNetworkReply& reply, qsizetype receivedBytes);
