#include "X11/ClipboardServer.h"

#include "Core/MainThread.h"
#include "X11/ClipboardAtoms.h"
#include "X11/ClipboardOwnership.h"
#include "X11/XcbClients.h"

#include <algorithm>

namespace {
// A requestor that stops reading what we answered (an INCR transfer's chunks) for this long is dropped.
constexpr auto transferBound = std::chrono::seconds(5);

// The most one request may carry, less room for the request's own fields.
qsizetype chunkFor(xcb_connection_t* connection)
{
    return std::min<qsizetype>(qsizetype(xcb_get_maximum_request_length(connection)) * 4, 256 * 1024) - 100;
}
}

ClipboardServer::ClipboardServer(xcb_connection_t* connection, xcb_window_t window, ClipboardAtoms& atoms,
                                 const ClipboardOwnership& ownership)
    : connection_(connection), window_(window), atoms_(atoms), ownership_(ownership), chunk_(chunkFor(connection))
{
}

void ClipboardServer::answer(const xcb_selection_request_event_t& request)
{
    xcb_selection_notify_event_t reply{};
    reply.response_type = XCB_SELECTION_NOTIFY;
    reply.time = request.time;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.property = XCB_NONE;
    // Old requestors name no property: the target's name is the one to use.
    const xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
    const std::optional<ClipboardOwnership::Held> held = ownership_.held();
    const bool ours = held && request.selection == atoms_.clipboard
                      && (request.time == XCB_CURRENT_TIME || request.time >= held->since);
    if (ours && request.target == atoms_.targets) {
        std::vector<xcb_atom_t> offered = {atoms_.targets, atoms_.timestamp};
        for (const ClipboardFormat& format : held->contents)
            offered.push_back(atoms_.names.known(format.target));
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                            uint32_t(offered.size()), offered.data());
        reply.property = property;
    } else if (ours && request.target == atoms_.timestamp) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1,
                            &held->since);
        reply.property = property;
    } else if (ours) {
        for (const ClipboardFormat& format : held->contents) {
            if (atoms_.names.known(format.target) != request.target)
                continue;
            std::function<void()> read;
            const xcb_window_t reader = xcb_window_t(held->serving.reader);
            if (held->serving.read && (reader == XCB_NONE || madeByOneClient(connection_, request.requestor, reader)))
                read = [onRead = held->serving.read, target = format.target] {
                    runOnMainThread([onRead, target] { onRead(target); });
                };
            startTransfer(request.requestor, property, format, std::move(read));
            reply.property = property;
            break;
        }
    }
    xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&reply));
}

void ClipboardServer::put(xcb_window_t window, xcb_atom_t property, const ClipboardFormat& format, QByteArrayView bytes)
{
    const int unitBytes = format.unit / 8;
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, atoms_.names.known(format.type),
                        uint8_t(format.unit), uint32_t(bytes.size() / unitBytes), bytes.data());
}

// Whole when it fits one request, and then read. Else announced with INCR, then a chunk each time
// the requestor deletes the property, and an empty one to end once it took the last.
void ClipboardServer::startTransfer(xcb_window_t requestor, xcb_atom_t property, const ClipboardFormat& format,
                                    std::function<void()> read)
{
    // A requestor asks into a property again only once done with what it held.
    const bool replacing = std::erase_if(transfers_,
                                         [&](const Transfer& earlier) {
                                             return earlier.requestor == requestor && earlier.property == property;
                                         })
                           > 0;
    if (format.bytes.size() <= chunk_) {
        put(requestor, property, format, format.bytes);
        if (replacing)
            stopWatching(requestor);
        if (read)
            read();
        return;
    }
    // Our own window (a read of what we hold) watches its properties all the time.
    if (requestor != window_) {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, requestor, XCB_CW_EVENT_MASK, &mask);
    }
    const auto size = uint32_t(format.bytes.size());
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor, property, atoms_.incr, 32, 1, &size);
    transfers_.push_back({requestor, property, format, std::move(read), 0, Clock::now() + transferBound});
}

void ClipboardServer::propertyDeleted(const xcb_property_notify_event_t& event)
{
    const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const Transfer& candidate) {
        return candidate.requestor == event.window && candidate.property == event.atom;
    });
    if (transfer == transfers_.end())
        return;
    const int unitBytes = transfer->format.unit / 8;
    const qsizetype length = std::min(chunk_ / unitBytes * unitBytes, transfer->format.bytes.size() - transfer->sent);
    put(transfer->requestor, transfer->property, transfer->format,
        QByteArrayView(transfer->format.bytes).sliced(transfer->sent, length));
    transfer->deadline = Clock::now() + transferBound;
    transfer->sent += length;
    if (length > 0)
        return;
    const Transfer done = std::move(*transfer);
    transfers_.erase(transfer);
    stopWatching(done.requestor);
    if (done.read)
        done.read();
}

void ClipboardServer::expire(Clock::time_point now)
{
    std::vector<xcb_window_t> dropped;
    std::erase_if(transfers_, [&](const Transfer& transfer) {
        if (now < transfer.deadline)
            return false;
        dropped.push_back(transfer.requestor);
        return true;
    });
    for (const xcb_window_t requestor : dropped)
        stopWatching(requestor);
}

std::optional<ClipboardServer::Clock::time_point> ClipboardServer::nextDeadline() const
{
    const auto earliest =
        std::min_element(transfers_.begin(), transfers_.end(),
                         [](const Transfer& a, const Transfer& b) { return a.deadline < b.deadline; });
    return earliest == transfers_.end() ? std::nullopt : std::optional(earliest->deadline);
}

// The requestor's property changes matter no more once none of our answers to it is unread.
void ClipboardServer::stopWatching(xcb_window_t requestor)
{
    if (requestor == window_ || std::any_of(transfers_.begin(), transfers_.end(), [&](const Transfer& transfer) {
            return transfer.requestor == requestor;
        }))
        return;
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection_, requestor, XCB_CW_EVENT_MASK, &none);
}
