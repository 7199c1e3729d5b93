#pragma once
// The focused text element through AT-SPI2: found by walking the front application's visible
// accessibles to the one whose state says focused, read through its Text interface and changed
// through EditableText. Toolkits count differently: Qt gives offsets and lengths in UTF-16 code
// units, GTK offsets in characters and InsertText's length in UTF-8 bytes; both are converted here.
// Every call into the accessibility library runs on a thread of its own (the library isn't
// thread-safe, and a hung application then holds up only that thread); the bounded questions
// answer with a refusal at waitBound if the application hasn't answered by then.

#include "AtSpi/GMainLoopThread.h"
#include "FocusedText.h"

#include <chrono>
#include <memory>

typedef struct _AtspiAccessible AtspiAccessible;

class AtSpiFocusedText final : public FocusedText {
public:
    static constexpr std::chrono::milliseconds waitBound{300};

    AtSpiFocusedText();
    ~AtSpiFocusedText() override;
    AtSpiFocusedText(const AtSpiFocusedText&) = delete;
    AtSpiFocusedText& operator=(const AtSpiFocusedText&) = delete;

    void find(qint64 pid, std::function<void(FocusAnswer)> found) override;
    void focused(qint64 pid, std::function<void(std::optional<FocusedElement>)> found) override;
    void read(const FocusedElement& element, std::function<void(std::optional<FieldText>)> read) override;
    void replace(const FocusedElement& element, Replace::Range range, const QString& text,
                 std::function<void(bool replaced)> done) override;

private:
    // Runs the work on the library's thread and hands its result to `answer` on the main thread.
    template <typename Result>
    void ask(std::function<Result()> work, std::function<void(Result)> answer);
    // The same, but `answer` gets `otherwise` at waitBound if the work hasn't ended by then.
    template <typename Result>
    void askBounded(std::function<Result()> work, Result otherwise, std::function<void(Result)> answer);

    // On the library's thread.
    bool connect();
    FocusAnswer search(qint64 pid);
    std::optional<FieldText> readText(const FocusedElement& wanted);
    bool replaceText(const FocusedElement& wanted, Replace::Range range, const QString& replacement);
    AtspiAccessible* element(const FocusedElement& wanted) const;
    void remember(AtspiAccessible* accessible);

    bool tried_ = false;
    bool available_ = false;
    AtspiAccessible* last_ = nullptr;  // the element search() found, referenced
    bool lastCountsUtf16_ = false;  // its toolkit counts in UTF-16 units (Qt)
    const std::shared_ptr<AtSpiFocusedText*> self_ = std::make_shared<AtSpiFocusedText*>(this);
    // Last: it ends before what its work uses. The library's bus messages are dispatched there too.
    GMainLoopThread thread_{"quillmarsh.a11y"};
};
