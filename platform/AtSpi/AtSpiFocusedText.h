#pragma once
// The focused text element through AT-SPI2: found by walking the front application's showing
// accessibles to the text element the keyboard is in (AtSpiFocusWalk), read through its Text
// interface and changed through EditableText. Toolkits count differently (TextUnits), which is
// converted here: a toolkit that doesn't say its name is known by the length it gives the text, and
// where that can't tell, only a text that goes in whole in either counting replaces. A replacement
// is read back, and what didn't arrive as sent is taken out again: only ever the stretch that went
// in. The accessibility bus is spoken to directly, over one connection of our own, from a thread of
// its own: a hung application then holds up only that thread, and each answer is taken the moment
// it arrives. (The accessibility library would open direct connections to some applications and
// hand them to the main thread's loop, which then read the answers that this thread was waiting
// for.) A search waits for a busy application as long as its answer may still count: until a search
// for another application is asked for, or this object ends, at most a minute. (Searches for the
// same application wait one behind the other, so each dictation gets its answer.)
// The bounded questions answer with a refusal at waitBound if the application hasn't answered by
// then.

#include "AtSpi/AtSpiCalls.h"
#include "AtSpi/AtSpiProtocol.h"
#include "AtSpi/TextUnits.h"
#include "Core/Lifeline.h"
#include "Core/SerialQueue.h"
#include "FocusedText.h"

#include <QDBusConnection>
#include <QVariant>

#include <atomic>
#include <chrono>
#include <memory>

class AtSpiFocusedText final : public FocusedText {
public:
    static constexpr std::chrono::milliseconds waitBound{300};
    // Accessibles looked at in one search at most: a search that reaches it can't tell what has the focus.
    static constexpr int searchBudget = 20000;

    AtSpiFocusedText();
    ~AtSpiFocusedText() override;
    AtSpiFocusedText(const AtSpiFocusedText&) = delete;
    AtSpiFocusedText& operator=(const AtSpiFocusedText&) = delete;

    void find(qint64 pid, std::function<void(FocusAnswer)> found) override;
    void isFocused(const FocusedElement& element, std::function<void(std::optional<bool> focused)> answer) override;
    void read(const FocusedElement& element, std::function<void(std::optional<FieldText>)> read) override;
    void replace(const FocusedElement& element, Replace::Range range, const QString& current, const QString& text,
                 std::function<void(bool replaced)> done) override;

private:
    using Node = AtSpi::Node;

    // Runs the work on the bus's thread and hands its result to `answer` on the main thread.
    template <typename Result>
    void ask(std::function<Result()> work, std::function<void(Result)> answer);
    // The same, but `answer` gets `otherwise` at waitBound if the work hasn't ended by then.
    template <typename Result>
    void askBounded(std::function<Result()> work, Result otherwise, std::function<void(Result)> answer);

    // On the bus's thread.
    bool connect();
    // Questions that wait callTimeout for their answers, where search() waits as long as it is wanted.
    AtSpiCalls shortCalls() const;
    // The reply's values, or nothing when the call was refused or went unanswered.
    std::optional<QList<QVariant>> call(const Node& node, const QString& interface, const QString& method,
                                        const QList<QVariant>& arguments = {});
    FocusAnswer search(qint64 pid);
    std::optional<QString> wholeText(const Node& node);
    // How the element's toolkit counts, learnt from the length it gives `text` when it didn't say.
    std::optional<TextUnits> countingOf(const std::optional<QList<QVariant>>& characterCount, const QString& text);
    std::optional<FieldText> readText(const FocusedElement& wanted);
    bool replaceText(const FocusedElement& wanted, Replace::Range range, const QString& current,
                     const QString& replacement);
    std::optional<Node> element(const FocusedElement& wanted) const;
    std::optional<bool> hasFocus(const FocusedElement& wanted);

    bool tried_ = false;
    std::optional<QDBusConnection> bus_;
    std::optional<Node> last_;  // the element search() found
    std::optional<TextUnits> lastUnits_;  // how its toolkit counts, once known
    // The application the last search was asked for, or none at this object's end: searches for any
    // other stop waiting.
    std::atomic<qint64> wantedPid_ = 0;
    const Lifeline<AtSpiFocusedText> self_{this};
    // Last: it ends, after the work already posted, before what that work uses.
    SerialQueue queue_{"quillmarsh.a11y"};
};
