#pragma once
// A connection to the display shared by the clipboard and the keys we post. Requests on one
// connection reach the server in the order they were sent, so a paste's keys posted right after
// the clipboard was taken find it taken, with nobody waiting for the server in between. One
// thread reads the connection's events (the clipboard's); a thread that sends flushes through
// here, which also wakes that reader, because a flush may read the events it waits for.

#include <xcb/xcb.h>

#include <memory>

class XcbConnection {
public:
    // Nothing without a display.
    static std::shared_ptr<XcbConnection> open();

    XcbConnection(xcb_connection_t* connection, xcb_window_t root);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }

    // Sends what is queued, then wakes the reader.
    void flush();
    void wakeReader();
    // What the reader polls beside the connection, and empties each time it wakes.
    int readerWake() const { return wake_; }
    void emptyReaderWake();

private:
    xcb_connection_t* const connection_;
    const xcb_window_t root_;
    const int wake_;
};
