#include "Fixer.h"

#include "Core/Log.h"
#include "DesktopWindows.h"
#include "InputWatcher.h"
#include "Style/Terminals.h"

Fixer::Fixer(FocusedText& focus, DesktopWindows& windows, InputWatcher& input, Clock& clock)
    : focus_(focus), windows_(windows), input_(input), clock_(clock)
{
}

void Fixer::pasted(const Paste& paste)
{
    forget();
    paste_ = paste;
    input_.arm();
}

void Fixer::learned(const std::optional<FocusedElement>& element)
{
    if (paste_ && !paste_->elementKnown && !paste_->element)
        paste_->element = element;
}

void Fixer::forget()
{
    ++pastes_;
    if (pending_)
        pending_->cancel();
    pending_.reset();
    paste_.reset();
    improved_.reset();
}

template <typename Answer>
std::function<void(Answer)> Fixer::whilePasted(std::function<void(Answer)> then) const
{
    return self_.whileAlive([this, paste = pastes_, then = std::move(then)](Answer answer) {
        if (pastes_ == paste)
            then(std::move(answer));
    });
}

void Fixer::improve(const QString& improved, std::function<void(bool)> done)
{
    if (!paste_)
        return;
    const Clock::Duration waited = clock_.now() - paste_->at;
    const Clock::Duration delay = waited >= settleTime ? Clock::Duration::zero() : settleTime - waited;
    if (pending_)
        pending_->cancel();
    pending_ = clock_.schedule(delay, [this, improved, done = std::move(done)] {
        pending_.reset();
        apply(improved, done);
    });
}

void Fixer::checkTarget(std::function<void(std::optional<bool>)> then)
{
    const std::optional<DesktopWindow> front = windows_.active();
    if (!front || front->id != paste_->windowId) {
        then(false);
        return;
    }
    if (!paste_->element) {
        then(true);
        return;
    }
    // The element's own state says it: one question, where a new search would ask many.
    focus_.isFocused(*paste_->element, whilePasted<std::optional<bool>>(std::move(then)));
}

void Fixer::apply(const QString& improved, const std::function<void(bool)>& done)
{
    // Terminals show their text read-only, with the prompt: nothing there can be replaced.
    if (Terminals::isTerminal(paste_->appID) || (paste_->element && paste_->element->terminal)) {
        Log::info(QStringLiteral("not replaced, a terminal's text can't be changed"));
        done(false);
        return;
    }
    checkTarget(whilePasted<std::optional<bool>>([this, improved, done](std::optional<bool> sameTarget) {
        // A field that doesn't say whether it has the focus won't be read either: it refused.
        if (!sameTarget || !paste_->element || !paste_->element->text) {
            decide(improved, sameTarget.value_or(true), std::nullopt, done);
            return;
        }
        focus_.read(*paste_->element, whilePasted<std::optional<FieldText>>(
                                          [this, improved, done, sameTarget](std::optional<FieldText> field) {
                                              decide(improved, *sameTarget, field, done);
                                          }));
    }));
}

void Fixer::decide(const QString& improved, bool sameTarget, const std::optional<FieldText>& field,
                   const std::function<void(bool)>& done)
{
    // Judged when the answers are in: what the user did while the application answered counts.
    Replace::Observed observed;
    observed.userActed = input_.userActed();
    observed.sameTarget = sameTarget;
    observed.age = seconds(clock_.now() - paste_->at);
    observed.field = field ? Replace::locate(paste_->text, field->text, field->selection)
                     : paste_->element && paste_->element->text ? Replace::Field::unreadable()
                                                                : Replace::Field::absent();

    const Replace::Decision decision = Replace::decide(observed);
    if (decision.kind == Replace::Decision::Kind::skip) {
        Log::info(QStringLiteral("not replaced, ") + decision.reason);
        done(false);
        return;
    }
    focus_.replace(*paste_->element, observed.field.range, paste_->text, improved,
                   whilePasted<bool>([this, improved, done](bool replaced) {
                       if (!replaced)
                           Log::info(QStringLiteral("couldn't select the text"));
                       else
                           improved_ = improved;
                       done(replaced);
                   }));
}

bool Fixer::canUndo() const
{
    // Typing moves the caret away from the improvement.
    return paste_ && improved_ && !input_.userTyped();
}

void Fixer::undo(std::function<void(bool)> done)
{
    if (!canUndo()) {
        done(false);
        return;
    }
    focus_.read(*paste_->element, whilePasted<std::optional<FieldText>>([this, done](std::optional<FieldText> field) {
        if (!canUndo()) {
            done(false);
            return;
        }
        const Replace::Field found =
            field ? Replace::locate(*improved_, field->text, field->selection) : Replace::Field::unreadable();
        if (found.kind != Replace::Field::Kind::matches) {
            done(false);
            return;
        }
        focus_.replace(*paste_->element, found.range, *improved_, paste_->text,
                       whilePasted<bool>([this, done](bool replaced) {
                           if (replaced)
                               improved_.reset();
                           done(replaced);
                       }));
    }));
}
