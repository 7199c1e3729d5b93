#pragma once
// The focused text element through AT-SPI2: found by walking the front application's visible
// accessibles to the one whose state says focused, read through its Text interface and changed
// through EditableText. Toolkits count differently: Qt gives offsets and lengths in UTF-16 code
// units, GTK offsets in characters and InsertText's length in UTF-8 bytes; both are converted here.
// Every call into the accessibility library runs on a thread of its own (the library isn't
// thread-safe, and a hung application then holds up only that thread); the waiting questions
// give up after waitBound.

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

    void find(qint64 pid, std::function<void(std::optional<FocusedElement>)> found) override;
    std::optional<FocusedElement> focused(qint64 pid) override;
    std::optional<FieldText> read(const FocusedElement& element) override;
    bool replace(const FocusedElement& element, Replace::Range range, const QString& text) override;

private:
    // Runs the work on the library's thread and waits for its answer, at most waitBound.
    template <typename Result>
    Result waitFor(std::function<Result()> work, Result otherwise);

    // On the library's thread.
    bool connect();
    std::optional<FocusedElement> search(qint64 pid);
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
