#include "X11/X11Clipboard.h"

#include "Core/Log.h"
#include "Core/MainThread.h"
#include "X11/XcbAtoms.h"
#include "X11/XcbConnection.h"

#include <xcb/xfixes.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <poll.h>
#include <thread>
#include <vector>

namespace {
using Steady = std::chrono::steady_clock;

// What putting contents back can wait for our own thread: it waits on nothing but the X server.
constexpr auto replaceBound = std::chrono::seconds(1);
// How long quitting waits for a clipboard manager to take over what we hold.
constexpr auto handOverBound = std::chrono::seconds(2);
// A requestor that stops reading what we answered (an INCR transfer's chunks) for this long is dropped.
constexpr auto transferBound = std::chrono::seconds(5);
// Contents beyond this aren't kept: a save is memory held for as long as a dictation lasts.
constexpr qsizetype contentsLimit = 64 * 1024 * 1024;

template <typename T>
struct Freed {
    void operator()(T* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, Freed<T>>;

// Whether the server sent the event after it had handled our request with this sequence number.
bool sentAfter(const xcb_generic_event_t& event, unsigned int request)
{
    return int32_t(event.full_sequence - request) >= 0;
}
}

class X11Clipboard::Worker : public std::enable_shared_from_this<Worker> {
public:
    Worker(std::shared_ptr<XcbConnection> connection, xcb_window_t window, std::function<void()> changed)
        : display_(std::move(connection)), connection_(display_->get()), window_(window), changed_(std::move(changed)),
          atoms_(connection_)
    {
        const QList<QByteArray> names = {
            "CLIPBOARD",        "TARGETS",          "TIMESTAMP",       "MULTIPLE",     "INCR",
            "DELETE",           "INSERT_SELECTION", "INSERT_PROPERTY", "SAVE_TARGETS", "QUILLMARSH_CLIPBOARD",
            "CLIPBOARD_MANAGER"};
        atoms_.intern(names);
        clipboard_ = atoms_.known("CLIPBOARD");
        targets_ = atoms_.known("TARGETS");
        timestamp_ = atoms_.known("TIMESTAMP");
        incr_ = atoms_.known("INCR");
        readInto_ = atoms_.known("QUILLMARSH_CLIPBOARD");
        manager_ = atoms_.known("CLIPBOARD_MANAGER");
        // Conversions of the selection itself rather than contents: never saved, never offered back.
        for (const char* meta :
             {"TARGETS", "TIMESTAMP", "MULTIPLE", "DELETE", "INSERT_SELECTION", "INSERT_PROPERTY", "SAVE_TARGETS"})
            meta_.push_back(atoms_.known(meta));
        chunk_ = std::min<qsizetype>(qsizetype(xcb_get_maximum_request_length(connection_)) * 4, 256 * 1024) - 100;

        const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
        if (xfixes && xfixes->present) {
            Reply<xcb_xfixes_query_version_reply_t>(
                xcb_xfixes_query_version_reply(connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
            xfixesEvent_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
            xcb_xfixes_select_selection_input(connection_, window_, clipboard_,
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
        xcb_flush(connection_);
    }

    // Once shared: what the thread hands to the main thread holds the worker weakly.
    void start()
    {
        thread_ = std::thread([this] { run(); });
    }

    ~Worker()
    {
        post([this] { handOver(); });
        thread_.join();
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }

    // Runs the command on the worker's thread.
    void post(std::function<void()> command)
    {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(std::move(command));
        }
        display_->wakeReader();
    }

    void save(quint64 generation, std::function<void(std::optional<ClipboardContents>)> done)
    {
        reading_.reset();
        if (const std::optional<ClipboardContents> ours = ownContents()) {
            finishSave(generation, done, ours);
            return;
        }
        reading_.emplace();
        reading_->generation = generation;
        reading_->done = std::move(done);
        ask(targets_);
    }

    // On the caller's thread, and without waiting for the server: the request goes out at once,
    // so whatever is sent next over this connection (the paste's keys) reaches the server after
    // it. The current time always takes the clipboard; the time it was taken at comes back with
    // the change's notice, before any request that follows it.
    bool own(ClipboardContents contents, std::function<void(const QByteArray&)> onRead)
    {
        atoms_.intern(namesIn(contents));
        {
            const std::lock_guard lock(ownershipMutex_);
            const xcb_void_cookie_t request =
                xcb_set_selection_owner(connection_, window_, clipboard_, XCB_CURRENT_TIME);
            owning_ = Ownership{std::move(contents), std::move(onRead), XCB_CURRENT_TIME, request.sequence};
        }
        display_->flush();
        // A save still running reads no further.
        post([this] { reading_.reset(); });
        return !xcb_connection_has_error(connection_);
    }

    bool replace(ClipboardContents contents)
    {
        std::unique_lock lock(ownershipMutex_);
        if (!owning_)
            return false;
        const xcb_timestamp_t since = owning_->since;
        lock.unlock();
        atoms_.intern(namesIn(contents));
        // With the time we took it at: the server ignores the change once anyone took it later.
        const xcb_window_t owner = contents.isEmpty() ? xcb_window_t(XCB_NONE) : window_;
        const xcb_void_cookie_t request = xcb_set_selection_owner(connection_, owner, clipboard_, since);
        const bool ok = currentOwner() == owner;
        lock.lock();
        if (ok && owner != XCB_NONE)
            owning_ = Ownership{std::move(contents), nullptr, since, request.sequence};
        else
            owning_.reset();
        return ok;
    }

    std::atomic<quint64> saveGeneration{0};

private:
    struct Ownership {
        ClipboardContents contents;
        std::function<void(const QByteArray&)> onRead;
        xcb_timestamp_t since = XCB_CURRENT_TIME;  // the server's time when we took it, once known
        unsigned int request = 0;  // the sequence number of the request that took it
    };
    struct Reading {
        quint64 generation = 0;
        std::function<void(std::optional<ClipboardContents>)> done;
        QList<xcb_atom_t> waiting;  // targets still to ask for
        xcb_atom_t asking = XCB_NONE;
        Steady::time_point deadline;
        bool incremental = false;  // the answer comes in INCR chunks
        ClipboardFormat incoming;  // an INCR answer so far
        ClipboardContents got;
        qsizetype size = 0;
    };
    // An answer the requestor hasn't read yet: it has read each piece when it deletes the property.
    struct Transfer {
        xcb_window_t requestor;
        xcb_atom_t property;
        ClipboardFormat format;
        std::function<void()> read;  // once the requestor has read the last piece
        qsizetype sent = 0;
        bool lastPut = false;  // the whole, or an INCR transfer's closing empty chunk
        Steady::time_point deadline;
    };

    void run()
    {
        pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {display_->readerWake(), POLLIN, 0}};
        while (!stopping_ && !xcb_connection_has_error(connection_)) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                handle(event);
                std::free(event);
            }
            runCommands();
            expire();
            xcb_flush(connection_);
            if (stopping_)
                break;
            // Flushing, like waiting for a reply, reads whatever the server sent meanwhile into the
            // connection's queue, where polling the socket never finds it.
            if (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection_)) {
                handle(event);
                std::free(event);
                continue;
            }
            fds[0].revents = fds[1].revents = 0;
            poll(fds, 2, nextTimeout());
            display_->emptyReaderWake();
        }
    }

    void runCommands()
    {
        std::deque<std::function<void()>> commands;
        {
            std::lock_guard lock(mutex_);
            commands.swap(commands_);
        }
        for (auto& command : commands)
            command();
    }

    int nextTimeout() const
    {
        std::optional<Steady::time_point> next;
        if (reading_)
            next = reading_->deadline;
        if (handingOver_)
            next = next ? std::min(*next, *handingOver_) : *handingOver_;
        for (const Transfer& transfer : transfers_)
            next = next ? std::min(*next, transfer.deadline) : transfer.deadline;
        if (!next)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Steady::now());
        return int(std::max<qint64>(left.count(), 0));
    }

    void expire()
    {
        const Steady::time_point now = Steady::now();
        if (reading_ && now >= reading_->deadline) {
            Log::info(
                QStringLiteral("clipboard not saved: its owner didn't answer within %1 ms").arg(answerBound.count()));
            Reading reading = std::move(*reading_);
            reading_.reset();
            finishSave(reading.generation, reading.done, std::nullopt);
        }
        std::vector<xcb_window_t> dropped;
        std::erase_if(transfers_, [&](const Transfer& transfer) {
            if (now < transfer.deadline)
                return false;
            dropped.push_back(transfer.requestor);
            return true;
        });
        for (const xcb_window_t requestor : dropped)
            stopWatching(requestor);
        if (handingOver_ && now >= *handingOver_)
            stopping_ = true;
    }

    // What we hold would vanish with us: a clipboard manager, when one runs, is asked to keep it
    // (every target), and answered until it says it has or handOverBound passes.
    void handOver()
    {
        if (!ownContents() || currentOwner(manager_) == XCB_NONE) {
            stopping_ = true;
            return;
        }
        xcb_convert_selection(connection_, window_, manager_, atoms_.known("SAVE_TARGETS"), XCB_NONE, XCB_CURRENT_TIME);
        handingOver_ = Steady::now() + handOverBound;
    }

    void handle(xcb_generic_event_t* event)
    {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST)
            answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
        else if (type == XCB_SELECTION_NOTIFY)
            answered(*reinterpret_cast<xcb_selection_notify_event_t*>(event));
        else if (type == XCB_PROPERTY_NOTIFY)
            propertyChanged(*reinterpret_cast<xcb_property_notify_event_t*>(event));
        else if (type == XCB_SELECTION_CLEAR) {
            // A clear from before we took the clipboard again is about the earlier contents.
            const std::lock_guard lock(ownershipMutex_);
            if (owning_ && sentAfter(*event, owning_->request))
                owning_.reset();
        } else if (xfixesEvent_ && type == xfixesEvent_) {
            const auto& notify = *reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
            if (notify.owner != window_) {
                changed_();
                return;
            }
            const std::lock_guard lock(ownershipMutex_);
            if (owning_ && owning_->since == XCB_CURRENT_TIME && sentAfter(*event, owning_->request))
                owning_->since = notify.selection_timestamp;
        }
    }

    std::optional<ClipboardContents> ownContents()
    {
        const std::lock_guard lock(ownershipMutex_);
        return owning_ ? std::optional(owning_->contents) : std::nullopt;
    }

    // Another application asks for one of our targets.
    void answer(const xcb_selection_request_event_t& request)
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
        const std::lock_guard lock(ownershipMutex_);
        const bool ours = owning_ && request.selection == clipboard_
                          && (request.time == XCB_CURRENT_TIME || request.time >= owning_->since);
        if (ours && request.target == targets_) {
            std::vector<xcb_atom_t> offered = {targets_, timestamp_};
            for (const ClipboardFormat& format : owning_->contents)
                offered.push_back(atoms_.known(format.target));
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                                uint32_t(offered.size()), offered.data());
            reply.property = property;
        } else if (ours && request.target == timestamp_) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32,
                                1, &owning_->since);
            reply.property = property;
        } else if (ours) {
            for (const ClipboardFormat& format : owning_->contents) {
                if (atoms_.known(format.target) != request.target)
                    continue;
                std::function<void()> read;
                if (owning_->onRead)
                    read = [onRead = owning_->onRead, target = format.target] {
                        runOnMainThread([onRead, target] { onRead(target); });
                    };
                startTransfer(request.requestor, property, format, std::move(read));
                reply.property = property;
                break;
            }
        }
        xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&reply));
    }

    void put(xcb_window_t window, xcb_atom_t property, const ClipboardFormat& format, QByteArrayView bytes)
    {
        const int unitBytes = format.unit / 8;
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, atoms_.known(format.type),
                            uint8_t(format.unit), uint32_t(bytes.size() / unitBytes), bytes.data());
    }

    // Whole when it fits one request; else announced with INCR, then a chunk each time the
    // requestor deletes the property, and an empty one to end. Either way the requestor's deletion
    // of the last piece tells us it has read it all.
    void startTransfer(xcb_window_t requestor, xcb_atom_t property, const ClipboardFormat& format,
                       std::function<void()> read)
    {
        // Our own window (a read of what we hold) watches its properties all the time.
        if (requestor != window_) {
            const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(connection_, requestor, XCB_CW_EVENT_MASK, &mask);
        }
        // A requestor asks into a property again only once done with what it held.
        std::erase_if(transfers_, [&](const Transfer& earlier) {
            return earlier.requestor == requestor && earlier.property == property;
        });
        Transfer transfer{requestor, property, format, std::move(read), 0, false, Steady::now() + transferBound};
        if (format.bytes.size() > chunk_) {
            const auto size = uint32_t(format.bytes.size());
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor, property, incr_, 32, 1, &size);
        } else {
            put(requestor, property, format, format.bytes);
            transfer.sent = format.bytes.size();
            transfer.lastPut = true;
        }
        transfers_.push_back(std::move(transfer));
    }

    void propertyChanged(const xcb_property_notify_event_t& event)
    {
        if (event.window == window_ && event.atom == readInto_ && event.state == XCB_PROPERTY_NEW_VALUE && reading_
            && reading_->incremental) {
            readChunk();
            return;
        }
        if (event.state != XCB_PROPERTY_DELETE)
            return;
        const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const Transfer& candidate) {
            return candidate.requestor == event.window && candidate.property == event.atom;
        });
        if (transfer == transfers_.end())
            return;
        if (transfer->lastPut) {
            const Transfer done = std::move(*transfer);
            transfers_.erase(transfer);
            stopWatching(done.requestor);
            if (done.read)
                done.read();
            return;
        }
        const int unitBytes = transfer->format.unit / 8;
        const qsizetype length =
            std::min(chunk_ / unitBytes * unitBytes, transfer->format.bytes.size() - transfer->sent);
        put(transfer->requestor, transfer->property, transfer->format,
            QByteArrayView(transfer->format.bytes).sliced(transfer->sent, length));
        transfer->deadline = Steady::now() + transferBound;
        transfer->sent += length;
        transfer->lastPut = length == 0;
    }

    // The requestor's property changes matter no more once none of our answers to it is unread.
    void stopWatching(xcb_window_t requestor)
    {
        if (requestor == window_ || std::any_of(transfers_.begin(), transfers_.end(), [&](const Transfer& transfer) {
                return transfer.requestor == requestor;
            }))
            return;
        const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(connection_, requestor, XCB_CW_EVENT_MASK, &none);
    }

    xcb_window_t currentOwner() { return currentOwner(clipboard_); }
    xcb_window_t currentOwner(xcb_atom_t selection)
    {
        Reply<xcb_get_selection_owner_reply_t> reply(
            xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, selection), nullptr));
        return reply ? reply->owner : xcb_window_t(XCB_NONE);
    }

    static QList<QByteArray> namesIn(const ClipboardContents& contents)
    {
        QList<QByteArray> names;
        for (const ClipboardFormat& format : contents)
            names << format.target << format.type;
        return names;
    }

    void ask(xcb_atom_t target)
    {
        reading_->asking = target;
        reading_->incremental = false;
        reading_->deadline = Steady::now() + answerBound;
        xcb_convert_selection(connection_, window_, clipboard_, target, readInto_, XCB_CURRENT_TIME);
    }

    // The owner answered the target asked for last.
    void answered(const xcb_selection_notify_event_t& event)
    {
        if (event.selection == manager_) {
            stopping_ = handingOver_.has_value();
            return;
        }
        if (!reading_ || event.requestor != window_ || event.target != reading_->asking)
            return;
        if (event.property == XCB_NONE) {
            // No owner, or one that refused the target.
            askNext();
            return;
        }
        Reply<xcb_get_property_reply_t> reply = takeProperty();
        if (!reply || reply->type == XCB_NONE) {
            // An answer without its property: nothing to keep for this target.
            askNext();
            return;
        }
        if (reply->type == incr_) {
            reading_->incremental = true;
            reading_->incoming = ClipboardFormat{atoms_.name(reading_->asking), {}, 8, {}};
            reading_->deadline = Steady::now() + answerBound;
            return;
        }
        received({atoms_.name(reading_->asking), atoms_.name(reply->type), reply->format, bytesOf(*reply)});
    }

    void readChunk()
    {
        Reply<xcb_get_property_reply_t> reply = takeProperty();
        if (!reply)
            return;
        ClipboardFormat& incoming = reading_->incoming;
        const QByteArray bytes = bytesOf(*reply);
        if (bytes.isEmpty()) {
            reading_->incremental = false;
            received(std::move(incoming));
            return;
        }
        incoming.type = atoms_.name(reply->type);
        incoming.unit = reply->format;
        incoming.bytes += bytes;
        reading_->deadline = Steady::now() + answerBound;
        if (reading_->size + incoming.bytes.size() > contentsLimit)
            tooLarge();
    }

    void received(ClipboardFormat format)
    {
        if (reading_->asking == targets_) {
            const auto* atoms = reinterpret_cast<const xcb_atom_t*>(format.bytes.constData());
            QList<xcb_atom_t> wanted;
            if (format.unit == 32) {
                for (qsizetype i = 0; i < format.bytes.size() / 4; ++i) {
                    if (std::find(meta_.begin(), meta_.end(), atoms[i]) == meta_.end() && !wanted.contains(atoms[i]))
                        wanted << atoms[i];
                }
            }
            atoms_.learnNames(wanted);
            reading_->waiting = wanted;
        } else if (format.unit == 8 || format.unit == 16 || format.unit == 32) {
            reading_->size += format.bytes.size();
            reading_->got << std::move(format);
            if (reading_->size > contentsLimit) {
                tooLarge();
                return;
            }
        }
        askNext();
    }

    void askNext()
    {
        if (reading_->waiting.isEmpty()) {
            Reading reading = std::move(*reading_);
            reading_.reset();
            finishSave(reading.generation, reading.done, std::move(reading.got));
            return;
        }
        ask(reading_->waiting.takeFirst());
    }

    void tooLarge()
    {
        Log::info(QStringLiteral("clipboard not saved: it holds more than %1 MB").arg(contentsLimit / (1024 * 1024)));
        Reading reading = std::move(*reading_);
        reading_.reset();
        finishSave(reading.generation, reading.done, std::nullopt);
    }

    void finishSave(quint64 generation, const std::function<void(std::optional<ClipboardContents>)>& done,
                    std::optional<ClipboardContents> contents)
    {
        runOnMainThread([worker = weak_from_this(), generation, done, contents = std::move(contents)] {
            if (const auto alive = worker.lock(); alive && generation == alive->saveGeneration.load())
                done(contents);
        });
    }

    Reply<xcb_get_property_reply_t> takeProperty()
    {
        return Reply<xcb_get_property_reply_t>(
            xcb_get_property_reply(connection_,
                                   xcb_get_property(connection_, 1, window_, readInto_, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                                    uint32_t(contentsLimit / 4)),
                                   nullptr));
    }

    static QByteArray bytesOf(xcb_get_property_reply_t& reply)
    {
        return QByteArray(static_cast<const char*>(xcb_get_property_value(&reply)),
                          xcb_get_property_value_length(&reply));
    }

    const std::shared_ptr<XcbConnection> display_;
    xcb_connection_t* const connection_;
    const xcb_window_t window_;
    const std::function<void()> changed_;
    std::thread thread_;
    std::mutex mutex_;
    std::deque<std::function<void()>> commands_;  // guarded by mutex_

    XcbAtoms atoms_;  // shared with own()'s caller; it locks itself

    // The rest belongs to the worker's thread, but for what ownershipMutex_ guards.
    bool stopping_ = false;
    xcb_atom_t clipboard_ = XCB_NONE;
    xcb_atom_t targets_ = XCB_NONE;
    xcb_atom_t timestamp_ = XCB_NONE;
    xcb_atom_t incr_ = XCB_NONE;
    xcb_atom_t readInto_ = XCB_NONE;
    xcb_atom_t manager_ = XCB_NONE;
    std::optional<Steady::time_point> handingOver_;  // until when we wait for the manager
    std::vector<xcb_atom_t> meta_;
    uint8_t xfixesEvent_ = 0;
    qsizetype chunk_ = 0;
    std::mutex ownershipMutex_;
    std::optional<Ownership> owning_;  // guarded by ownershipMutex_: own() sets it on the caller's thread
    std::optional<Reading> reading_;
    std::vector<Transfer> transfers_;
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
    worker_ = std::make_shared<Worker>(std::move(display), window, [self = std::weak_ptr<X11Clipboard*>(self_)] {
        runOnMainThread([self] {
            if (const auto alive = self.lock(); alive && (*alive)->onChanged)
                (*alive)->onChanged();
        });
    });
    worker_->start();
}

X11Clipboard::~X11Clipboard() = default;

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

bool X11Clipboard::own(ClipboardContents contents, std::function<void(const QByteArray& target)> onRead)
{
    if (!worker_)
        return false;
    // Abandons a save still running: its reads would reach us now.
    ++worker_->saveGeneration;
    return worker_->own(std::move(contents), std::move(onRead));
}

bool X11Clipboard::replace(ClipboardContents contents)
{
    if (!worker_)
        return false;
    ++worker_->saveGeneration;
    auto finished = std::make_shared<std::promise<bool>>();
    std::future<bool> result = finished->get_future();
    worker_->post([worker = worker_.get(), contents = std::move(contents), finished]() mutable {
        finished->set_value(worker->replace(std::move(contents)));
    });
    return result.wait_for(replaceBound) == std::future_status::ready && result.get();
}
