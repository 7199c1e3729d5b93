#include "X11/ClipboardThread.h"

#include "X11/XcbConnection.h"

#include <cstdlib>
#include <poll.h>

ClipboardThread::ClipboardThread(std::shared_ptr<XcbConnection> display, Events& events)
    : display_(std::move(display)), connection_(display_->get()), events_(events)
{
}

ClipboardThread::~ClipboardThread()
{
    join();
}

void ClipboardThread::start()
{
    thread_ = std::thread([this] { run(); });
}

void ClipboardThread::join()
{
    if (thread_.joinable())
        thread_.join();
}

void ClipboardThread::post(std::function<void()> command)
{
    {
        const std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    display_->wakeReader();
}

void ClipboardThread::run()
{
    pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {display_->readerWake(), POLLIN, 0}};
    while (!stopping_ && !xcb_connection_has_error(connection_)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            handle(event);
        runCommands();
        events_.expire(Clock::now());
        xcb_flush(connection_);
        if (stopping_)
            break;
        // Flushing, like waiting for a reply, reads whatever the server sent meanwhile into the
        // connection's queue, where polling the socket never finds it.
        if (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection_)) {
            handle(event);
            continue;
        }
        fds[0].revents = fds[1].revents = 0;
        poll(fds, 2, nextTimeout());
        display_->emptyReaderWake();
    }
}

void ClipboardThread::handle(xcb_generic_event_t* event)
{
    events_.handle(*event);
    std::free(event);
}

void ClipboardThread::runCommands()
{
    std::deque<std::function<void()>> commands;
    {
        const std::lock_guard lock(mutex_);
        commands.swap(commands_);
    }
    for (auto& command : commands)
        command();
}

int ClipboardThread::nextTimeout() const
{
    const std::optional<Clock::time_point> next = events_.nextDeadline();
    if (!next)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
    return int(std::max<decltype(left.count())>(left.count(), 0));
}
