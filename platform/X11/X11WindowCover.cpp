#include "X11/X11WindowCover.h"

#include "X11/XcbDisplay.h"

#include <QSocketNotifier>

#include <cstdlib>

X11WindowCover::X11WindowCover(quint64 window, std::function<void(bool covered)> report, QObject* parent)
    : QObject(parent), report_(std::move(report))
{
    const auto display = connectToDisplay();
    if (!display)
        return;
    connection_ = display->connection;
    const uint32_t events = XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection_, static_cast<xcb_window_t>(window), XCB_CW_EVENT_MASK, &events);
    // The watch is in place once this returns: the server may otherwise take a map sent over
    // another connection first, and its notice would never come.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11WindowCover::readEvents);
}

X11WindowCover::~X11WindowCover()
{
    if (connection_)
        xcb_disconnect(connection_);
}

void X11WindowCover::readEvents()
{
    // Errors (a window already gone) arrive as events too, and are passed over.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7f) == XCB_VISIBILITY_NOTIFY)
            report_(reinterpret_cast<xcb_visibility_notify_event_t*>(event)->state == XCB_VISIBILITY_FULLY_OBSCURED);
        std::free(event);
    }
    // A broken connection would keep waking us for nothing.
    if (xcb_connection_has_error(connection_))
        notifier_->setEnabled(false);
}
