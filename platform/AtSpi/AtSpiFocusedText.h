#pragma once
// The focused text element through AT-SPI2: found by walking the front application's visible
// accessibles to the one whose state says focused, read through its Text interface and changed
// through EditableText. Toolkits count differently: Qt gives offsets and lengths in UTF-16 code
// units, GTK offsets in characters and InsertText's length in UTF-8 bytes; both are converted here.
// The accessibility bus is spoken to directly, over one connection of our own, from a thread of
// its own: a hung application then holds up only that thread, and each answer is taken the moment
// it arrives. (The accessibility library would open direct connections to some applications and
// hand them to the main thread's loop, which then read the answers that this thread was waiting
// for.) The bounded questions answer with a refusal at waitBound if the application hasn't
// answered by then; questions asked together are sent together, so their waits overlap.

#include "Core/SerialQueue.h"
#include "FocusedText.h"

#include <QDBusConnection>
#include <QVariant>

#include <chrono>
#include <memory>

class AtSpiFocusedText final : public FocusedText {
public:
    static constexpr std::chrono::milliseconds waitBound{300};

    AtSpiFocusedText();
    ~AtSpiFocusedText() override;
    AtSpiFocusedText(const AtSpiFocusedText&) = delete;
    AtSpiFocusedText& operator=(const AtSpiFocusedText&) = delete;

    void find(qint64 pid, std::function<void(FocusAnswer)> found) override;
    void isFocused(const FocusedElement& element, std::function<void(bool focused)> answer) override;
    void read(const FocusedElement& element, std::function<void(std::optional<FieldText>)> read) override;
    void replace(const FocusedElement& element, Replace::Range range, const QString& text,
                 std::function<void(bool replaced)> done) override;

private:
    // An accessible: the bus name of its application and its object path.
    struct Node {
        QString service;
        QString path;
    };

    // Runs the work on the bus's thread and hands its result to `answer` on the main thread.
    template <typename Result>
    void ask(std::function<Result()> work, std::function<void(Result)> answer);
    // The same, but `answer` gets `otherwise` at waitBound if the work hasn't ended by then.
    template <typename Result>
    void askBounded(std::function<Result()> work, Result otherwise, std::function<void(Result)> answer);

    // On the bus's thread.
    bool connect();
    // The reply's values, or nothing when the call failed or went unanswered within its time-out
    // (which unanswered_ then says).
    std::optional<QList<QVariant>> call(const Node& node, const QString& interface, const QString& method,
                                        const QList<QVariant>& arguments = {});
    // Several calls sent at once, so that their answers' waits overlap; each reply as call() gives it.
    QList<std::optional<QList<QVariant>>> callAll(const QList<QDBusMessage>& messages);
    std::optional<QVariant> property(const Node& node, const QString& interface, const QString& name);
    std::optional<Node> findFocused(const Node& node, bool root, int& budget, bool& unanswered);
    FocusAnswer search(qint64 pid);
    std::optional<QString> wholeText(const Node& node);
    std::optional<FieldText> readText(const FocusedElement& wanted);
    bool replaceText(const FocusedElement& wanted, Replace::Range range, const QString& replacement);
    std::optional<Node> element(const FocusedElement& wanted) const;
    bool hasFocus(const FocusedElement& wanted);

    bool tried_ = false;
    bool unanswered_ = false;  // the last call that failed got no answer at all
    std::optional<QDBusConnection> bus_;
    std::optional<Node> last_;  // the element search() found
    bool lastCountsUtf16_ = false;  // its toolkit counts in UTF-16 units (Qt)
    const std::shared_ptr<AtSpiFocusedText*> self_ = std::make_shared<AtSpiFocusedText*>(this);
    // Last: it ends, after the work already posted, before what that work uses.
    SerialQueue queue_{"quillmarsh.a11y"};
};
