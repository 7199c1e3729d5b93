#include "X11/XcbConnection.h"

#include "X11/XcbDisplay.h"

#include <sys/eventfd.h>
#include <unistd.h>

std::shared_ptr<XcbConnection> XcbConnection::open()
{
    const std::optional<XcbDisplay> display = connectToDisplay();
    if (!display)
        return nullptr;
    return std::make_shared<XcbConnection>(display->connection, display->root);
}

XcbConnection::XcbConnection(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root), wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

XcbConnection::~XcbConnection()
{
    close(wake_);
    xcb_disconnect(connection_);
}

void XcbConnection::flush()
{
    xcb_flush(connection_);
    wakeReader();
}

void XcbConnection::wakeReader()
{
    const uint64_t one = 1;
    (void)!write(wake_, &one, sizeof one);
}

void XcbConnection::emptyReaderWake()
{
    uint64_t count = 0;
    (void)!read(wake_, &count, sizeof count);
}
