#pragma once
// Saving what another application holds, on the clipboard's thread: its TARGETS first (unless the
// targets wanted are named), then each target in turn (large ones by INCR), each answer bounded by
// answerBound and the whole by a size limit. One save at a time; a new one, or taking the
// clipboard, abandons the one running.

#include "Clipboard.h"

#include <chrono>
#include <functional>
#include <optional>

#include <xcb/xcb.h>

struct ClipboardAtoms;

class ClipboardReader {
public:
    using Clock = std::chrono::steady_clock;
    // A finished save, or nothing for one given up (on the clipboard's thread).
    using Done = std::function<void(std::optional<ClipboardContents>)>;

    // How long an owner may take over one answer before the save is given up.
    static constexpr std::chrono::milliseconds answerBound{250};

    ClipboardReader(xcb_connection_t* connection, xcb_window_t window, ClipboardAtoms& atoms);

    // Every target the owner offers, or only these.
    void start(Done done, std::optional<QList<xcb_atom_t>> only = std::nullopt);
    void abandon();

    // The owner answered a conversion we asked our window for.
    void answered(const xcb_selection_notify_event_t& event);
    // A property of our own window changed: an INCR answer's next chunk, when one is coming.
    void propertyChanged(const xcb_property_notify_event_t& event);
    // Gives up a save whose owner didn't answer in time.
    void expire(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

private:
    struct Reading {
        Done done;
        QList<xcb_atom_t> waiting;  // targets still to ask for
        xcb_atom_t asking = XCB_NONE;
        Clock::time_point deadline;
        bool incremental = false;  // the answer comes in INCR chunks
        ClipboardFormat incoming;  // an INCR answer so far
        ClipboardContents got;
        qsizetype size = 0;
    };

    void ask(xcb_atom_t target);
    void askNext();
    void readChunk();
    void received(ClipboardFormat format);
    void giveUp();
    void finish(std::optional<ClipboardContents> contents);
    struct Property {
        xcb_atom_t type = XCB_NONE;
        uint8_t unit = 8;
        QByteArray bytes;
    };
    std::optional<Property> takeProperty();

    xcb_connection_t* const connection_;
    const xcb_window_t window_;
    ClipboardAtoms& atoms_;
    std::optional<Reading> reading_;
};
