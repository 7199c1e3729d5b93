#include "DictationFlow.h"

#include "Cloud/RouterError.h"
#include "Core/Log.h"
#include "Core/MainThread.h"
#include "Formatting/FormatClient.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "HotkeyMonitor.h"
#include "InputWatcher.h"
#include "Main/AppModel.h"
#include "Punctuation/Punctuator.h"
#include "Style/Terminals.h"
#include "Style/WebApps.h"

#include <QDateTime>
#include <QPointer>
#include <QRegularExpression>

namespace {
qint64 wordCount(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).size();
}
}

DictationFlow::DictationFlow(DictationController& controller, AppModel& model, Desktop desktop, Services services,
                             Clock& clock, QObject* parent)
    : QObject(parent), controller_(controller), model_(model), desktop_(desktop), services_(std::move(services)),
      clock_(clock), pill_(clock), inserter_(desktop.clipboard, desktop.poster, clock),
      fixer_(desktop.focus, desktop.windows, desktop.input, clock)
{
    desktop_.keys.onKeyDown = [this] { keyDown(); };
    desktop_.keys.onKeyUp = [this](bool chord) {
        controller_.keyUp(chord);
        if (controller_.phase() == DictationController::Phase::finishing)
            followFront();
    };
    desktop_.keys.onEscape = [this] { controller_.escape(); };

    controller_.keepsAudio = [this] { return model_.keepClips(); };
    controller_.hotwords = [this] { return model_.vocabulary()->hotwords(); };
    controller_.transform = [this](const QString& text) { return model_.vocabulary()->writtenForms().apply(text); };
    controller_.onPhase = [this](DictationController::Phase phase) {
        switch (phase) {
        case DictationController::Phase::holding:
            pill_.setMode(PillController::Mode::listening);
            break;
        case DictationController::Phase::handsFree:
            pill_.setMode(PillController::Mode::handsFree);
            break;
        case DictationController::Phase::finishing:
            // The recogniser's finish starts right after this call: the pill can follow a moment later.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (controller_.phase() == DictationController::Phase::finishing)
                        pill_.setMode(PillController::Mode::finishing);
                },
                Qt::QueuedConnection);
            break;
        case DictationController::Phase::idle:
            break;
        }
    };
    controller_.onPartial = [this](const Partial& partial) { pill_.setPartial(partial); };
    controller_.onLevel = [this](float level) { pill_.setLevel(level); };
    controller_.onCancel = [this] {
        current_.reset();
        inserter_.cancel();
        pill_.dismiss();
    };
    controller_.onUnavailable = [this](const QString& reason) {
        // Without a model that can load there is nothing to wait for: the pill says what is wrong.
        const bool noModel = reason.contains(RouterError(RouterError::Kind::noEngine).description());
        pill_.showOutcome(PillController::Mode::failed,
                          noModel && !model_.speechProblem().isEmpty() ? model_.speechProblem() : reason);
    };
    controller_.onFinal = [this](const QString& text, double seconds) { finalText(text, seconds); };
    pill_.onUndo = [this] { undoImprovement(); };
    connect(&desktop_.input, &InputWatcher::typed, this, [this] {
        if (!fixer_.canUndo())
            pill_.withdrawUndo();
    });
}

DictationFlow::~DictationFlow()
{
    desktop_.keys.onKeyDown = nullptr;
    desktop_.keys.onKeyUp = nullptr;
    desktop_.keys.onEscape = nullptr;
    controller_.onPhase = nullptr;
    controller_.onPartial = nullptr;
    controller_.onLevel = nullptr;
    controller_.onCancel = nullptr;
    controller_.onUnavailable = nullptr;
    controller_.onFinal = nullptr;
}

void DictationFlow::keyDown()
{
    if (controller_.phase() != DictationController::Phase::idle) {
        controller_.keyDown();
        return;
    }
    fixer_.forget();
    auto dictation = std::make_shared<Dictation>(++begun_, desktop_.windows.active(), desktop_.focus, clock_);
    if (onIdleKeyDown)
        onIdleKeyDown();
    controller_.keyDown();
    if (controller_.phase() != DictationController::Phase::holding)
        return;
    current_ = std::move(dictation);
    pill_.start();
    // While the user speaks, learn where the text will go and save the clipboard, so neither
    // waits on another application after the key comes up. Both answer later.
    current_->focus.find(current_->front ? current_->front->pid : 0);
    inserter_.prepare();
}

void DictationFlow::finalText(const QString& text, double flushSeconds)
{
    const std::shared_ptr<Dictation> dictation = std::exchange(current_, nullptr);
    if (!dictation)
        return;
    const std::optional<QString>& inputLoss = controller_.lastInputLoss();
    if (text.trimmed().isEmpty()) {
        inserter_.cancel();
        // A speech server that failed heard nothing, whatever was said.
        if (const std::optional<QString>& failure = inputLoss ? inputLoss : controller_.lastFailure())
            pill_.showOutcome(PillController::Mode::failed, *failure);
        else
            pill_.showOutcome(PillController::Mode::nothingHeard, tr("Nothing heard"));
        return;
    }
    dictation->raw = text;
    dictation->inputLoss = inputLoss;
    dictation->speechSeconds = std::max(0.0, seconds(clock_.now() - dictation->keyDownAt) - flushSeconds);
    dictation->audio = controller_.takeLastAudio();
    dictation->pasteTurn = pastes_.take();
    dictation->recordTurn = records_.take();
    delivering_[dictation->number] = dictation;
    std::shared_ptr<Punctuator> punctuator =
        model_.punctuation() && services_.punctuator ? services_.punctuator() : nullptr;
    if (!punctuator) {
        punctuated(dictation, text);
        return;
    }
    // The dictation stays on the main thread: the queue hears of it by number only.
    QPointer<DictationFlow> self(this);
    services_.punctuationQueue.async([self, punctuator, text, number = dictation->number] {
        QString punctuatedText = text;
        try {
            punctuatedText = punctuator->punctuate(text);
        } catch (const Error& error) {
            Log::info(QStringLiteral("punctuation failed: ") + error.description());
        }
        runOnMainThread([self, punctuatedText, number] {
            if (!self)
                return;
            if (const auto found = self->delivering_.find(number); found != self->delivering_.end())
                self->punctuated(found->second, punctuatedText);
        });
    });
}

void DictationFlow::punctuated(const std::shared_ptr<Dictation>& dictation, const QString& text)
{
    // Where the text goes decides how (a password field is only copied to): it waits for the
    // focus search, within the search's bound.
    QPointer<DictationFlow> self(this);
    dictation->focus.whenKnown([self, dictation, text] {
        if (!self)
            return;
        self->pastes_.when(dictation->pasteTurn, [self, dictation, text](const Turns::Done& done) {
            if (self)
                self->deliver(dictation, text, done);
        });
    });
}

void DictationFlow::followFront()
{
    // The user may have moved to another window while dictating hands-free.
    if (!current_)
        return;
    if (const std::optional<DesktopWindow> window = desktop_.windows.active();
        !window || !current_->front || window->id != current_->front->id) {
        current_->front = window;
        current_->focus.find(window ? window->pid : 0);
    }
}

void DictationFlow::deliver(const std::shared_ptr<Dictation>& dictation, const QString& text, const Turns::Done& done)
{
    const std::optional<SnippetStore::Expansion> expansion = model_.snippets()->expand(text);
    const QString final = expansion ? expansion->text : text;
    const std::optional<FocusedElement> element = dictation->focus.element();
    const std::optional<QString> appID = dictation->appID();
    const std::optional<QString> title = dictation->title();
    Inserter::Target target = Inserter::Target::field;
    if (element && element->password)
        target = Inserter::Target::password;
    else if ((element && element->terminal) || Terminals::isTerminal(appID))
        target = Inserter::Target::terminal;

    dictation->inserted = final;
    dictation->result = inserter_.insert(final, target, dictation->front ? dictation->front->id : 0);
    const DictationStyle style = model_.stylePolicy().style(appID, title);
    const bool exactOnly = expansion && expansion->keepsExactly();
    const bool improvable = dictation->result == Inserter::Result::pasted && model_.improveAfterInserting()
                            && style != DictationStyle::asSpoken && !exactOnly;
    // The user's actions count from the paste, whatever is decided below.
    if (improvable && !movedPast(dictation->number))
        fixer_.pasted({final, element, dictation->focus.answered(), dictation->front ? dictation->front->id : 0, appID,
                       clock_.now()});
    if (improvable)
        dictation->improveAs = style;

    // The next paste waits until the application has read this text, or won't: until then the
    // clipboard must go on offering it.
    QPointer<DictationFlow> self(this);
    inserter_.afterTaken([self, dictation, done](Inserter::Uptake uptake) {
        dictation->uptake = uptake;
        done();
        if (self)
            self->concludeWhenSettled(dictation);
    });
    // What may be kept or sent waits for the focused element, which may answer after the paste:
    // a password is kept nowhere and sent nowhere, only the counts move.
    dictation->focus.whenDecided([self, dictation](FocusLookup::Privacy privacy) {
        if (!self)
            return;
        dictation->privacy = privacy;
        if (privacy == FocusLookup::Privacy::open && self->model_.historyEnabled())
            dictation->entry = QUuid::createUuid();
        self->concludeWhenSettled(dictation);
    });
}

void DictationFlow::concludeWhenSettled(const std::shared_ptr<Dictation>& dictation)
{
    if (!dictation->uptake || !dictation->privacy)
        return;
    QPointer<DictationFlow> self(this);
    records_.when(dictation->recordTurn, [self, dictation](const Turns::Done& done) {
        if (self) {
            self->conclude(*dictation);
            self->delivering_.erase(dictation->number);
        }
        done();
    });
}

void DictationFlow::conclude(Dictation& dictation)
{
    const Inserter::Result result =
        dictation.result == Inserter::Result::pasted && dictation.uptake != Inserter::Uptake::read
            ? Inserter::Result::failed
            : dictation.result;
    // Only a text the application took can be improved in place, and only where it is known to be.
    if (result == Inserter::Result::pasted && dictation.privacy == FocusLookup::Privacy::open && dictation.improveAs) {
        if (!movedPast(dictation.number))
            fixer_.learned(dictation.focus.element());
        improve(dictation.inserted, *dictation.improveAs, dictation.entry, dictation.number);
    } else if (!movedPast(dictation.number)) {
        fixer_.forget();
    }
    // A later dictation has the pill: this one says nothing there.
    const bool quiet = movedPast(dictation.number);
    if (!quiet)
        showInserted(result, dictation);
    if (onInserted)
        onInserted(dictation.inserted);
    // The text is in place, or on the clipboard; the pill says when its entry, or its recording,
    // couldn't be saved, while it still shows this dictation.
    QPointer<DictationFlow> self(this);
    record(dictation, [self, number = dictation.number](const QString& why) {
        if (self && !self->movedPast(number))
            self->pill_.showOutcome(PillController::Mode::failed, why);
    });
}

void DictationFlow::showInserted(Inserter::Result result, const Dictation& dictation)
{
    const auto [mode, message] = outcome(result, dictation);
    if (!dictation.inputLoss) {
        pill_.showOutcome(mode, message);
        return;
    }
    // What was heard until the microphone stopped went out like any text: the pill says it stopped
    // and, unless the text stands in the field, where it is.
    const bool inField = result == Inserter::Result::pasted && *dictation.privacy == FocusLookup::Privacy::open;
    pill_.showOutcome(PillController::Mode::failed,
                      inField ? *dictation.inputLoss : *dictation.inputLoss + QLatin1Char(' ') + message);
}

std::pair<PillController::Mode, QString> DictationFlow::outcome(Inserter::Result result,
                                                                const Dictation& dictation) const
{
    const FocusLookup::Privacy privacy = *dictation.privacy;
    switch (result) {
    case Inserter::Result::pasted:
        if (privacy == FocusLookup::Privacy::password)
            return {PillController::Mode::inserted, tr("Pasted into a password field. Nothing was kept.")};
        if (privacy == FocusLookup::Privacy::unknown)
            return {PillController::Mode::inserted, tr("Pasted. Nothing was kept: this may be a password field.")};
        return {PillController::Mode::inserted, dictation.inserted};
    case Inserter::Result::copied:
        return {PillController::Mode::copied, tr("Copied. Paste it where you need it.")};
    case Inserter::Result::failed:
        break;
    }
    if (dictation.uptake != Inserter::Uptake::replaced)
        return {PillController::Mode::failed, tr("Couldn’t paste. The text is on the clipboard.")};
    // The user's own copy holds the clipboard: the text is only where it was kept.
    if (!dictation.entry.isNull())
        return {PillController::Mode::failed, tr("Couldn’t paste. The text is in History.")};
    return {PillController::Mode::failed, tr("Couldn’t paste.")};
}

void DictationFlow::record(Dictation& dictation, const std::function<void(const QString&)>& notSaved)
{
    const std::optional<QString> appID = dictation.appID();
    const std::optional<QString> title = dictation.title();
    const QUuid& entry = dictation.entry;
    const QDateTime now = QDateTime::currentDateTime();
    model_.stats()->record(wordCount(dictation.inserted), dictation.speechSeconds, now);
    if (entry.isNull())
        return;
    const std::optional<WebApp> webApp = Browsers::isBrowser(appID) ? Browsers::webApp(title) : std::nullopt;
    std::optional<QString> appName;
    if (webApp)
        appName = webApp->name;
    else if (appID)
        appName = desktop_.applications.name(*appID);
    // A recording is kept only beside its saved history entry; one that can't be is told as the entry would be.
    auto keepRecording = [model = QPointer<AppModel>(&model_), audio = std::move(dictation.audio), entry,
                          notSaved]() mutable {
        if (model && !audio.empty())
            model->keepRecording(std::move(audio), entry, notSaved);
    };
    model_.history()->add(HistoryEntry(entry, now, dictation.raw, dictation.inserted, appID, appName, std::nullopt,
                                       AppCategories::of(appID, title)),
                          std::move(keepRecording), notSaved);
}

void DictationFlow::improve(const QString& inserted, DictationStyle style, const QUuid& entry, quint64 number)
{
    const FormatClient* client = services_.formatter ? services_.formatter() : nullptr;
    if (!client)
        return;
    // The user has started another dictation: this one's text stays as it was pasted.
    const auto skipped = [this, number] {
        if (!movedPast(number))
            return false;
        Log::info(QStringLiteral("not improved: a later dictation has begun"));
        return true;
    };
    if (skipped())
        return;
    QPointer<DictationFlow> self(this);
    client->format(inserted, style, model_.vocabulary()->hotwords(), [=](const FormatOutcome& outcome) {
        runOnMainThread([=] {
            if (!self || skipped())
                return;
            if (outcome.kind != FormatOutcome::Kind::improved) {
                Log::info(QStringLiteral("not improved: ") + outcome.text);
                return;
            }
            self->fixer_.improve(outcome.text, [=](bool replaced) {
                if (!self || !replaced)
                    return;
                if (!entry.isNull())
                    self->model_.history()->improve(entry, outcome.text, DictationStyles::rawValue(style));
                self->improvedEntry_ = entry;
                self->dictatedText_ = inserted;
                self->pill_.showOutcome(PillController::Mode::improved, tr("Improved"), self->fixer_.canUndo());
            });
        });
    });
}

void DictationFlow::undoImprovement()
{
    // One undo per improvement, also while it is under way.
    pill_.withdrawUndo();
    QPointer<DictationFlow> self(this);
    fixer_.undo([self](bool undone) {
        if (!self || !undone)
            return;
        if (!self->improvedEntry_.isNull())
            self->model_.history()->undoImprovement(self->improvedEntry_, self->dictatedText_);
        self->pill_.showOutcome(PillController::Mode::inserted, tr("Undone"));
    });
}
