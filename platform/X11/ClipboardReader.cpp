#include "X11/ClipboardReader.h"

#include "Core/Log.h"
#include "X11/ClipboardAtoms.h"
#include "X11/XcbReply.h"

namespace {
// Contents beyond this aren't kept: a save is memory held for as long as a dictation lasts.
constexpr qsizetype contentsLimit = 64 * 1024 * 1024;
}

ClipboardReader::ClipboardReader(xcb_connection_t* connection, xcb_window_t window, ClipboardAtoms& atoms)
    : connection_(connection), window_(window), atoms_(atoms)
{
}

void ClipboardReader::start(Done done, std::optional<QList<xcb_atom_t>> only)
{
    Reading reading;
    reading.done = std::move(done);
    reading_ = std::move(reading);
    if (!only) {
        ask(atoms_.targets);
        return;
    }
    reading_->waiting = std::move(*only);
    askNext();
}

void ClipboardReader::abandon()
{
    reading_.reset();
}

void ClipboardReader::ask(xcb_atom_t target)
{
    reading_->asking = target;
    reading_->incremental = false;
    reading_->deadline = Clock::now() + answerBound;
    xcb_convert_selection(connection_, window_, atoms_.clipboard, target, atoms_.readInto, XCB_CURRENT_TIME);
}

void ClipboardReader::answered(const xcb_selection_notify_event_t& event)
{
    if (!reading_ || event.requestor != window_ || event.target != reading_->asking)
        return;
    if (event.property == XCB_NONE) {
        // No owner, or one that refused the target.
        askNext();
        return;
    }
    std::optional<Property> answer = takeProperty();
    if (!answer || answer->type == XCB_NONE) {
        // An answer without its property: nothing to keep for this target.
        askNext();
        return;
    }
    if (answer->type == atoms_.incr) {
        reading_->incremental = true;
        reading_->incoming = ClipboardFormat{atoms_.names.name(reading_->asking), {}, 8, {}};
        reading_->deadline = Clock::now() + answerBound;
        return;
    }
    received(
        {atoms_.names.name(reading_->asking), atoms_.names.name(answer->type), answer->unit, std::move(answer->bytes)});
}

void ClipboardReader::propertyChanged(const xcb_property_notify_event_t& event)
{
    if (event.window == window_ && event.atom == atoms_.readInto && event.state == XCB_PROPERTY_NEW_VALUE && reading_
        && reading_->incremental)
        readChunk();
}

void ClipboardReader::readChunk()
{
    const std::optional<Property> chunk = takeProperty();
    if (!chunk)
        return;
    ClipboardFormat& incoming = reading_->incoming;
    if (chunk->bytes.isEmpty()) {
        reading_->incremental = false;
        received(std::move(incoming));
        return;
    }
    incoming.type = atoms_.names.name(chunk->type);
    incoming.unit = chunk->unit;
    incoming.bytes += chunk->bytes;
    reading_->deadline = Clock::now() + answerBound;
    if (reading_->size + incoming.bytes.size() > contentsLimit)
        giveUp();
}

void ClipboardReader::received(ClipboardFormat format)
{
    if (reading_->asking == atoms_.targets) {
        const auto* atoms = reinterpret_cast<const xcb_atom_t*>(format.bytes.constData());
        QList<xcb_atom_t> wanted;
        if (format.unit == 32) {
            for (qsizetype i = 0; i < format.bytes.size() / 4; ++i) {
                if (!atoms_.isMeta(atoms[i]) && !wanted.contains(atoms[i]))
                    wanted << atoms[i];
            }
        }
        atoms_.names.learnNames(wanted);
        reading_->waiting = wanted;
    } else if (format.unit == 8 || format.unit == 16 || format.unit == 32) {
        reading_->size += format.bytes.size();
        reading_->got << std::move(format);
        if (reading_->size > contentsLimit) {
            giveUp();
            return;
        }
    }
    askNext();
}

void ClipboardReader::askNext()
{
    if (reading_->waiting.isEmpty()) {
        ClipboardContents got = std::move(reading_->got);
        finish(std::move(got));
        return;
    }
    ask(reading_->waiting.takeFirst());
}

void ClipboardReader::giveUp()
{
    Log::info(QStringLiteral("clipboard not saved: it holds more than %1 MB").arg(contentsLimit / (1024 * 1024)));
    finish(std::nullopt);
}

void ClipboardReader::expire(Clock::time_point now)
{
    if (!reading_ || now < reading_->deadline)
        return;
    Log::info(QStringLiteral("clipboard not saved: its owner didn't answer within %1 ms").arg(answerBound.count()));
    finish(std::nullopt);
}

std::optional<ClipboardReader::Clock::time_point> ClipboardReader::nextDeadline() const
{
    return reading_ ? std::optional(reading_->deadline) : std::nullopt;
}

void ClipboardReader::finish(std::optional<ClipboardContents> contents)
{
    const Done done = std::move(reading_->done);
    reading_.reset();
    done(std::move(contents));
}

// The answer in our window's property, deleted as it is read (which asks an INCR owner for more).
std::optional<ClipboardReader::Property> ClipboardReader::takeProperty()
{
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 1, window_, atoms_.readInto, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                                uint32_t(contentsLimit / 4)),
                               nullptr));
    if (!reply)
        return std::nullopt;
    return Property{reply->type, reply->format,
                    QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               xcb_get_property_value_length(reply.get()))};
}
