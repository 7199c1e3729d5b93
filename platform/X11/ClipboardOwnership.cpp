#include "X11/ClipboardOwnership.h"

#include "Core/MainThread.h"
#include "X11/ClipboardAtoms.h"
#include "X11/XcbReply.h"

#include <xcb/xfixes.h>

namespace {
// Whether the server sent the event after it had handled our request with this sequence number.
bool sentAfter(const xcb_generic_event_t& event, unsigned int request)
{
    return int32_t(event.full_sequence - request) >= 0;
}
}

ClipboardOwnership::ClipboardOwnership(xcb_connection_t* connection, xcb_window_t window, ClipboardAtoms& atoms,
                                       ChangedByOthers changedByOthers)
    : connection_(connection), window_(window), atoms_(atoms), changedByOthers_(std::move(changedByOthers))
{
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    XcbReply<xcb_xfixes_query_version_reply_t>(
        xcb_xfixes_query_version_reply(connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
    xfixesEvent_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    xcb_xfixes_select_selection_input(connection_, window_, atoms_.clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
}

void ClipboardOwnership::take(ClipboardContents contents, ClipboardServing serving)
{
    atoms_.learn(contents);
    const std::lock_guard lock(mutex_);
    const xcb_void_cookie_t request = xcb_set_selection_owner(connection_, window_, atoms_.clipboard, XCB_CURRENT_TIME);
    owning_ = Owning{{std::move(contents), std::move(serving), XCB_CURRENT_TIME}, request.sequence};
    lost_.reset();
    copy_.reset();
}

bool ClipboardOwnership::replace(ClipboardContents contents, xcb_timestamp_t since)
{
    // Only over the take it follows, or over another application's copy of what it offered: a
    // later take of ours (whose time may not be known yet) is newer than anything put back after an
    // earlier one, and the server couldn't tell us apart.
    std::unique_lock lock(mutex_);
    if (since == XCB_CURRENT_TIME || (owning_ ? owning_->held.since != since : copy_ != since))
        return false;
    const std::optional<unsigned int> taking = takingRequest();
    lock.unlock();
    atoms_.learn(contents);
    const xcb_window_t owner = contents.isEmpty() ? xcb_window_t(XCB_NONE) : window_;
    const xcb_void_cookie_t request = xcb_set_selection_owner(connection_, owner, atoms_.clipboard, since);
    const bool ok = currentOwner(atoms_.clipboard) == owner;
    lock.lock();
    // Taken again by the caller's thread meanwhile: what we hold now is that take's.
    if (takingRequest() != taking)
        return false;
    copy_.reset();
    if (ok && owner != XCB_NONE)
        owning_ = Owning{{std::move(contents), {}, since}, request.sequence};
    else
        owning_.reset();
    return ok;
}

bool ClipboardOwnership::copiedFromUs(xcb_timestamp_t time)
{
    const std::lock_guard lock(mutex_);
    if (owning_ || othersTake_ != time)
        return false;
    copy_ = time;
    return true;
}

bool ClipboardOwnership::copyHolds() const
{
    const std::lock_guard lock(mutex_);
    return copy_.has_value();
}

std::optional<unsigned int> ClipboardOwnership::takingRequest() const
{
    return owning_ ? std::optional(owning_->request) : std::nullopt;
}

std::optional<ClipboardOwnership::Held> ClipboardOwnership::held() const
{
    const std::lock_guard lock(mutex_);
    return owning_ ? std::optional(owning_->held) : std::nullopt;
}

xcb_window_t ClipboardOwnership::currentOwner(xcb_atom_t selection) const
{
    XcbReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, selection), nullptr));
    return reply ? reply->owner : xcb_window_t(XCB_NONE);
}

bool ClipboardOwnership::handle(const xcb_generic_event_t& event)
{
    const uint8_t type = event.response_type & 0x7f;
    if (type == XCB_SELECTION_CLEAR) {
        // A clear from before we took the clipboard again is about the earlier contents.
        const std::lock_guard lock(mutex_);
        if (owning_ && sentAfter(event, owning_->request)) {
            lost_ = std::move(owning_->held);
            owning_.reset();
        }
        return true;
    }
    if (!xfixesEvent_ || type != xfixesEvent_)
        return false;
    const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notify.owner != window_) {
        // The server clears us before it tells of the take: what we lost was lost to this one.
        std::optional<Held> lost;
        {
            const std::lock_guard lock(mutex_);
            lost = std::exchange(lost_, std::nullopt);
            othersTake_ = notify.selection_timestamp;
            copy_.reset();
        }
        changedByOthers_(notify.selection_timestamp, notify.owner, std::move(lost));
        return true;
    }
    const std::lock_guard lock(mutex_);
    if (owning_ && owning_->held.since == XCB_CURRENT_TIME && sentAfter(event, owning_->request)) {
        owning_->held.since = notify.selection_timestamp;
        if (owning_->held.serving.taken)
            runOnMainThread(
                [taken = owning_->held.serving.taken, since = notify.selection_timestamp] { taken(since); });
    }
    return true;
}
