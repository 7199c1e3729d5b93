#include "X11/X11Clipboard.h"

#include "Core/Log.h"
#include "Core/MainThread.h"
#include "X11/ClipboardAtoms.h"
#include "X11/ClipboardOwnership.h"
#include "X11/ClipboardReader.h"
#include "X11/ClipboardServer.h"
#include "X11/ClipboardThread.h"
#include "X11/WindowPing.h"
#include "X11/XcbClients.h"
#include "X11/XcbConnection.h"

#include <atomic>
#include <cstdlib>
#include <future>

namespace {
// What putting contents back, or asking when we took the clipboard, can wait for our own thread:
// it waits on nothing but the X server.
constexpr auto replaceBound = std::chrono::seconds(1);
// How long quitting waits for a clipboard manager to take over what we hold.
constexpr auto handOverBound = std::chrono::seconds(2);
}

// The clipboard's parts on its thread: who owns it, serving what we own, saving what others own.
class X11Clipboard::Worker final : public ClipboardThread::Events, public std::enable_shared_from_this<Worker> {
public:
    Worker(std::shared_ptr<XcbConnection> display, xcb_window_t window, std::function<void()> changedByOthers)
        : display_(std::move(display)), connection_(display_->get()), window_(window), atoms_(connection_),
          changedByOthers_(std::move(changedByOthers)),
          ownership_(
              connection_, window_, atoms_,
              [this](xcb_timestamp_t time, xcb_window_t owner, std::optional<ClipboardOwnership::Held> takenFromUs) {
                  takenByOthers(time, owner, std::move(takenFromUs));
              }),
          server_(connection_, window_, atoms_, ownership_), reader_(connection_, window_, atoms_),
          ping_(connection_, display_->root(), atoms_), thread_(display_, *this)
    {
        xcb_flush(connection_);
    }

    // Once shared: what the thread hands to the main thread holds the worker weakly.
    void start() { thread_.start(); }

    ~Worker() override
    {
        thread_.post([this] { handOver(); });
        thread_.join();
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }

    void post(std::function<void()> command) { thread_.post(std::move(command)); }

    void save(quint64 generation, ClipboardReader::Done done)
    {
        reader_.abandon();
        if (const std::optional<ClipboardOwnership::Held> ours = ownership_.held()) {
            finishSave(generation, done, ours->contents);
            return;
        }
        reader_.start([this, generation, done = std::move(done)](std::optional<ClipboardContents> contents) {
            finishSave(generation, done, std::move(contents));
        });
    }

    // On the caller's thread, and without waiting for the server: whatever is sent next over this
    // connection (the paste's keys) reaches the server after the clipboard is taken.
    bool own(ClipboardContents contents, ClipboardServing serving)
    {
        // A save still running reads no further. Posted ahead of the take: what the clipboard's
        // thread does about the take (a check of another's copy of it) comes after it.
        post([this] { reader_.abandon(); });
        ownership_.take(std::move(contents), std::move(serving));
        display_->flush();
        return !xcb_connection_has_error(connection_);
    }

    bool replace(ClipboardContents contents, xcb_timestamp_t since)
    {
        return ownership_.replace(std::move(contents), since);
    }

    std::optional<xcb_timestamp_t> takenAt()
    {
        std::optional<ClipboardOwnership::Held> held = ownership_.held();
        if (held && held->since == XCB_CURRENT_TIME) {
            catchUp();
            held = ownership_.held();
        }
        if (!held || held->since == XCB_CURRENT_TIME)
            return std::nullopt;
        return held->since;
    }

    bool stillOurs()
    {
        catchUp();
        return ownership_.held().has_value() || ownership_.copyHolds();
    }

    void askHandled(xcb_window_t window, std::function<void()> handled)
    {
        ping_.start(window, [handled = std::move(handled)] { runOnMainThread(handled); });
    }

    std::atomic<quint64> saveGeneration{0};

private:
    using Clock = ClipboardThread::Clock;

    // Takes in every notice the server sent before now: its answer to a question asked now comes
    // after them all.
    void catchUp()
    {
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection_)) {
            handle(*event);
            std::free(event);
        }
    }

    void handle(const xcb_generic_event_t& event) override
    {
        if (ownership_.handle(event) || ping_.handle(event))
            return;
        const uint8_t type = event.response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            server_.answer(reinterpret_cast<const xcb_selection_request_event_t&>(event));
        } else if (type == XCB_SELECTION_NOTIFY) {
            const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
            if (notify.selection != atoms_.manager)
                reader_.answered(notify);
            else if (handingOver_)
                thread_.stop();
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto& changed = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (changed.state == XCB_PROPERTY_DELETE)
                server_.propertyDeleted(changed);
            else
                reader_.propertyChanged(changed);
        }
    }

    void expire(Clock::time_point now) override
    {
        reader_.expire(now);
        server_.expire(now);
        ping_.expire(now);
        if (handingOver_ && now >= *handingOver_)
            thread_.stop();
    }

    std::optional<Clock::time_point> nextDeadline() const override
    {
        std::optional<Clock::time_point> next;
        for (const std::optional<Clock::time_point> deadline :
             {reader_.nextDeadline(), server_.nextDeadline(), ping_.nextDeadline(), handingOver_}) {
            if (deadline && (!next || *deadline < *next))
                next = deadline;
        }
        return next;
    }

    // A take of what we served, offering exactly its text, is a copy of ours (a clipboard history
    // keeping every copy as its own): the text stays on offer. Anything else is another's change,
    // and so is any copy by the client of the reader's window: the user's own, whatever it holds.
    void takenByOthers(xcb_timestamp_t time, xcb_window_t owner, std::optional<ClipboardOwnership::Held> takenFromUs)
    {
        if (!takenFromUs || !takenFromUs->serving.copied || takenFromUs->contents.isEmpty()) {
            changedByOthers_();
            return;
        }
        if (const auto reader = xcb_window_t(takenFromUs->serving.reader);
            reader != XCB_NONE && madeByOneClient(connection_, owner, reader)) {
            Log::info(QStringLiteral("the application in front copied: its copy stays"));
            changedByOthers_();
            return;
        }
        const ClipboardFormat text = takenFromUs->contents.first();
        reader_.start(
            [this, time, text, copied = takenFromUs->serving.copied](std::optional<ClipboardContents> theirs) {
                if (theirs && theirs->size() == 1 && theirs->first().bytes == text.bytes
                    && ownership_.copiedFromUs(time))
                    runOnMainThread([copied, time] { copied(time); });
                else
                    changedByOthers_();
            },
            QList<xcb_atom_t>{atoms_.names.known(text.target)});
    }

    // What we hold would vanish with us: a clipboard manager, when one runs, is asked to keep it
    // (every target), and answered until it says it has or handOverBound passes.
    void handOver()
    {
        if (!ownership_.held() || ownership_.currentOwner(atoms_.manager) == XCB_NONE) {
            thread_.stop();
            return;
        }
        xcb_convert_selection(connection_, window_, atoms_.manager, atoms_.saveTargets, XCB_NONE, XCB_CURRENT_TIME);
        handingOver_ = Clock::now() + handOverBound;
    }

    void finishSave(quint64 generation, const ClipboardReader::Done& done, std::optional<ClipboardContents> contents)
    {
        runOnMainThread([worker = weak_from_this(), generation, done, contents = std::move(contents)] {
            if (const auto alive = worker.lock(); alive && generation == alive->saveGeneration.load())
                done(contents);
        });
    }

    const std::shared_ptr<XcbConnection> display_;
    xcb_connection_t* const connection_;
    const xcb_window_t window_;
    ClipboardAtoms atoms_;
    const std::function<void()> changedByOthers_;
    ClipboardOwnership ownership_;
    ClipboardServer server_;
    ClipboardReader reader_;
    WindowPing ping_;
    std::optional<Clock::time_point> handingOver_;  // until when we wait for the manager
    ClipboardThread thread_;  // last: it runs over all of the above
};

X11Clipboard::X11Clipboard(std::shared_ptr<XcbConnection> display)
{
    if (!display)
        return;
    xcb_connection_t* connection = display->get();
    // An unmapped window of our own receives the answers and the property changes.
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, display->root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    worker_ = std::make_shared<Worker>(std::move(display), window, [changed = self_.whileAlive([this] {
                                           if (onChanged)
                                               onChanged();
                                       })] { runOnMainThread(changed); });
    worker_->start();
}

X11Clipboard::~X11Clipboard() = default;

template <typename Answer>
Answer X11Clipboard::ask(std::function<Answer(Worker&)> question, Answer otherwise)
{
    if (!worker_)
        return otherwise;
    auto finished = std::make_shared<std::promise<Answer>>();
    std::future<Answer> result = finished->get_future();
    worker_->post(
        [worker = worker_.get(), question = std::move(question), finished] { finished->set_value(question(*worker)); });
    return result.wait_for(replaceBound) == std::future_status::ready ? result.get() : otherwise;
}

void X11Clipboard::save(std::function<void(std::optional<ClipboardContents>)> done)
{
    if (!worker_) {
        done(std::nullopt);
        return;
    }
    const quint64 generation = ++worker_->saveGeneration;
    worker_->post([worker = worker_.get(), generation, done = std::move(done)] {
        if (generation == worker->saveGeneration.load())
            worker->save(generation, done);
    });
}

bool X11Clipboard::own(ClipboardContents contents, ClipboardServing serving)
{
    if (!worker_)
        return false;
    // Abandons a save still running: its reads would reach us now.
    ++worker_->saveGeneration;
    return worker_->own(std::move(contents), std::move(serving));
}

bool X11Clipboard::replace(ClipboardContents contents, quint64 since)
{
    if (!worker_)
        return false;
    ++worker_->saveGeneration;
    return ask<bool>([contents = std::move(contents),
                      since](Worker& worker) { return worker.replace(contents, xcb_timestamp_t(since)); },
                     false);
}

std::optional<quint64> X11Clipboard::takenAt()
{
    return ask<std::optional<quint64>>(
        [](Worker& worker) {
            const std::optional<xcb_timestamp_t> time = worker.takenAt();
            return time ? std::optional<quint64>(*time) : std::nullopt;
        },
        std::nullopt);
}

void X11Clipboard::askHandled(quint64 window, std::function<void()> handled)
{
    if (!worker_)
        return;
    worker_->post([worker = worker_.get(), window, handled = std::move(handled)] {
        worker->askHandled(xcb_window_t(window), handled);
    });
}

void X11Clipboard::askStillOurs(std::function<void(bool)> answer)
{
    // Without a desktop nothing took the clipboard from us.
    if (!worker_) {
        answer(true);
        return;
    }
    worker_->post([worker = worker_.get(), answer = std::move(answer)] {
        runOnMainThread([answer, ours = worker->stillOurs()] { answer(ours); });
    });
}
