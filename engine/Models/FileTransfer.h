#pragma once
// One HTTP GET written into a file from a given offset, as the bytes arrive: the caller blocks
// while the network thread receives, and asks every quarter of a second whether to stop.

#include "Core/BoundedReply.h"
#include "Core/NetworkThread.h"

#include <QNetworkRequest>
#include <QString>

#include <functional>
#include <optional>

namespace FileTransfer {

struct Outcome {
    enum class Kind { done, failed, cancelled };
    Kind kind = Kind::done;
    QString message;  // for failed
    bool retry = false;  // for failed: whether another attempt may help
    // The size of the server's whole file, when its answer showed it: the body of a complete
    // 200, or the size a 416 answer names in "Content-Range: bytes */size".
    std::optional<qint64> serverFileSize;
    // For failed: the server answered a range request with the whole file, so the destination was
    // emptied for the next attempt to start over; no fault of the transfer's own.
    bool startOver = false;
};

// `start` is where writing begins: the destination is cut to it when the server's answer is
// accepted. A 206 answer must cover the file from `start`. No more than `bounds.maxBytes` are
// written: more is an answer that can't be the file. `progress` gets each chunk's size once it
// is on disk, on the network thread.
Outcome run(NetworkThread& network, const QNetworkRequest& request, const ReplyBounds& bounds,
            const QString& destination, qint64 start, const std::function<void(qint64)>& progress,
            const std::function<bool()>& cancelled);

}
