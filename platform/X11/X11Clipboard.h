#pragma once
// The X11 CLIPBOARD selection over a connection and a thread of our own, so another application's
// slow answers never hold up our main thread and our main thread's work never holds up an answer.
// Saving asks the owner for its TARGETS and then for each target (large ones come by INCR), each
// answer bounded in time. Owning serves exactly the given targets' bytes (large ones by
// INCR), with their atoms known ahead, so an answer costs no round trip of its own. Taking the
// clipboard is sent from the caller's thread over the connection it shares with the key poster,
// so the paste's keys follow it without a wait; the window manager's ping asked over it after them
// shows when the application has handled them. Quitting hands what we own to a clipboard manager
// when one runs.

#include "Clipboard.h"
#include "Core/Lifeline.h"

#include <memory>

class XcbConnection;

class X11Clipboard final : public Clipboard {
public:
    // Without a connection (no display) nothing is saved or owned.
    explicit X11Clipboard(std::shared_ptr<XcbConnection> display);
    ~X11Clipboard() override;
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    void save(std::function<void(std::optional<ClipboardContents>)> done) override;
    bool own(ClipboardContents contents, ClipboardServing serving) override;
    bool replace(ClipboardContents contents, quint64 since) override;
    std::optional<quint64> takenAt() override;
    void askStillOurs(std::function<void(bool)> answer) override;
    void askHandled(quint64 window, std::function<void()> handled) override;

private:
    class Worker;

    // The worker's answer to `question`, asked on its thread; `otherwise` when it takes too long.
    template <typename Answer>
    Answer ask(std::function<Answer(Worker&)> question, Answer otherwise);

    std::shared_ptr<Worker> worker_;
    const Lifeline<X11Clipboard> self_{this};
};
