#pragma once
// What a store tells its page when a change made here lost to the same one another instance saved
// first: a sentence, until the next change made here.

#include <QString>

#include <functional>
#include <utility>

class LostChange {
public:
    // `changed` is called whenever the sentence changes.
    explicit LostChange(std::function<void()> changed) : changed_(std::move(changed)) {}

    const QString& text() const { return text_; }
    void tell(const QString& text)
    {
        if (text_ == text)
            return;
        text_ = text;
        changed_();
    }
    void forget() { tell({}); }

private:
    std::function<void()> changed_;
    QString text_;
};
