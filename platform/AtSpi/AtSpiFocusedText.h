#pragma once
// The focused text element through AT-SPI2: found by walking the front application's visible
// accessibles to the one whose state says focused, read through its Text interface and changed
// through EditableText. Toolkits count differently: Qt gives offsets and lengths in UTF-16 code
// units, GTK offsets in characters and InsertText's length in UTF-8 bytes; both are converted here.

#include "FocusedText.h"

typedef struct _AtspiAccessible AtspiAccessible;

class AtSpiFocusedText final : public FocusedText {
public:
    AtSpiFocusedText();
    ~AtSpiFocusedText() override;
    AtSpiFocusedText(const AtSpiFocusedText&) = delete;
    AtSpiFocusedText& operator=(const AtSpiFocusedText&) = delete;

    std::optional<FocusedElement> focused(qint64 pid) override;
    std::optional<FieldText> read(const FocusedElement& element) override;
    bool replace(const FocusedElement& element, Replace::Range range, const QString& text) override;

private:
    bool connect();
    AtspiAccessible* element(const FocusedElement& wanted) const;
    void remember(AtspiAccessible* accessible);

    bool tried_ = false;
    bool available_ = false;
    AtspiAccessible* last_ = nullptr;  // the element focused() found, referenced
    bool lastCountsUtf16_ = false;  // its toolkit counts in UTF-16 units (Qt)
};
