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
      fixer_(desktop.focus, desktop.windows, desktop.input, inserter_, desktop.poster, clock),
      focus_(desktop.focus, clock)
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
    ++generation_;
    fixer_.forget();
    front_ = desktop_.windows.active();
    keyDownAt_ = clock_.now();
    if (onIdleKeyDown)
        onIdleKeyDown();
    controller_.keyDown();
    if (controller_.phase() != DictationController::Phase::holding)
        return;
    pill_.start();
    // While the user speaks, learn where the text will go and save the clipboard, so neither
    // waits on another application after the key comes up. Both answer later.
    focus_.find(front_ ? front_->pid : 0);
    inserter_.prepare();
}

void DictationFlow::finalText(const QString& text, double flushSeconds)
{
    const double speechSeconds = std::max(0.0, seconds(clock_.now() - keyDownAt_) - flushSeconds);
    const std::vector<float> audio = controller_.lastAudio();
    if (text.trimmed().isEmpty()) {
        inserter_.cancel();
        // A speech server that failed heard nothing, whatever was said.
        if (const std::optional<QString>& failure = controller_.lastFailure())
            pill_.showOutcome(PillController::Mode::failed, *failure);
        else
            pill_.showOutcome(PillController::Mode::nothingHeard, tr("Nothing heard"));
        return;
    }
    std::shared_ptr<Punctuator> punctuator =
        model_.punctuation() && services_.punctuator ? services_.punctuator() : nullptr;
    // Where the text goes decides how (a password field is only copied to): it waits for the
    // focus search, within the search's bound.
    if (!punctuator) {
        focus_.whenKnown([this, text, speechSeconds, audio] { deliver(text, text, speechSeconds, audio); });
        return;
    }
    QPointer<DictationFlow> self(this);
    const quint64 generation = generation_;
    services_.punctuationQueue.async([self, punctuator, text, speechSeconds, audio, generation] {
        QString punctuated = text;
        try {
            punctuated = punctuator->punctuate(text);
        } catch (const Error& error) {
            Log::info(QStringLiteral("punctuation failed: ") + error.description());
        }
        runOnMainThread([self, text, punctuated, speechSeconds, audio, generation] {
            if (!self || self->generation_ != generation)
                return;
            self->focus_.whenKnown([self, text, punctuated, speechSeconds, audio] {
                if (self)
                    self->deliver(text, punctuated, speechSeconds, audio);
            });
        });
    });
}

void DictationFlow::followFront()
{
    // The user may have moved to another window while dictating hands-free.
    if (const std::optional<DesktopWindow> window = desktop_.windows.active();
        !window || !front_ || window->id != front_->id) {
        front_ = window;
        focus_.find(front_ ? front_->pid : 0);
    }
}

void DictationFlow::deliver(const QString& raw, const QString& text, double speechSeconds,
                            const std::vector<float>& audio)
{
    const std::optional<SnippetStore::Expansion> expansion = model_.snippets()->expand(text);
    const QString final = expansion ? expansion->text : text;
    const std::optional<FocusedElement> element = focus_.element();
    const std::optional<QString> appID =
        front_ && !front_->desktopId.isEmpty() ? std::optional(front_->desktopId) : std::nullopt;
    const std::optional<QString> title = front_ ? std::optional(front_->title) : std::nullopt;
    Inserter::Target target = Inserter::Target::field;
    if (element && element->password)
        target = Inserter::Target::password;
    else if ((element && element->terminal) || Terminals::isTerminal(appID))
        target = Inserter::Target::terminal;

    const Inserter::Result result = inserter_.insert(final, target);
    const DictationStyle style = model_.stylePolicy().style(appID, title);
    const bool exactOnly = expansion && expansion->keepsExactly();
    const bool improvable = result == Inserter::Result::pasted && model_.improveAfterInserting()
                            && style != DictationStyle::asSpoken && !exactOnly;
    // The user's actions count from the paste, whatever is decided below.
    if (improvable)
        fixer_.pasted({final, element, front_ ? front_->id : 0, appID, clock_.now()});

    // What may be kept or sent waits for the focused element, which may answer after the paste:
    // a password is kept nowhere and sent nowhere, only the counts move.
    QPointer<DictationFlow> self(this);
    const quint64 generation = generation_;
    focus_.whenDecided([=](FocusLookup::Privacy privacy) {
        if (!self)
            return;
        const bool open = privacy == FocusLookup::Privacy::open;
        const QUuid entry = open && self->model_.historyEnabled() ? QUuid::createUuid() : QUuid();
        // A later dictation has the pill and the paste: this one keeps its records quietly.
        if (self->generation_ != generation) {
            self->record(raw, final, speechSeconds, audio, appID, title, entry);
            return;
        }
        if (open && improvable)
            self->improve(final, style, entry);
        // The pill and the records wait until the application has the text: until then the main
        // thread's only work is answering its clipboard requests.
        self->inserter_.afterTaken([=] {
            if (!self)
                return;
            self->showInserted(result, final, privacy);
            // The text is in place; the pill says so when its entry couldn't be saved, while the
            // pill still shows this dictation.
            self->record(raw, final, speechSeconds, audio, appID, title, entry, [self, generation](const QString& why) {
                if (self && self->generation_ == generation)
                    self->pill_.showOutcome(PillController::Mode::failed, why);
            });
        });
    });
}

void DictationFlow::showInserted(Inserter::Result result, const QString& text, FocusLookup::Privacy privacy)
{
    switch (result) {
    case Inserter::Result::pasted:
        if (privacy == FocusLookup::Privacy::password)
            pill_.showOutcome(PillController::Mode::inserted, tr("Pasted into a password field. Nothing was kept."));
        else if (privacy == FocusLookup::Privacy::unknown)
            pill_.showOutcome(PillController::Mode::inserted,
                              tr("Pasted. Nothing was kept: this may be a password field."));
        else
            pill_.showOutcome(PillController::Mode::inserted, text);
        break;
    case Inserter::Result::copied:
        pill_.showOutcome(PillController::Mode::copied, tr("Copied. Paste it where you need it."));
        break;
    case Inserter::Result::failed:
        pill_.showOutcome(PillController::Mode::failed, tr("Couldn’t paste. The text is on the clipboard."));
        break;
    }
    if (onInserted)
        onInserted(text);
}

void DictationFlow::record(const QString& raw, const QString& text, double speechSeconds,
                           const std::vector<float>& audio, const std::optional<QString>& appID,
                           const std::optional<QString>& title, const QUuid& entry,
                           const std::function<void(const QString&)>& notSaved)
{
    const QDateTime now = QDateTime::currentDateTime();
    model_.stats()->record(wordCount(text), speechSeconds, now);
    if (entry.isNull())
        return;
    const std::optional<WebApp> webApp = Browsers::isBrowser(appID) ? Browsers::webApp(title) : std::nullopt;
    std::optional<QString> appName;
    if (webApp)
        appName = webApp->name;
    else if (appID)
        appName = desktop_.applications.name(*appID);
    // A recording is kept only beside its saved history entry.
    const auto keepRecording = [model = QPointer<AppModel>(&model_), audio, entry] {
        if (model && !audio.empty())
            model->keepRecording(audio, entry);
    };
    model_.history()->add(
        HistoryEntry(entry, now, raw, text, appID, appName, std::nullopt, AppCategories::of(appID, title)),
        keepRecording, notSaved);
}

void DictationFlow::improve(const QString& inserted, DictationStyle style, const QUuid& entry)
{
    const FormatClient* client = services_.formatter ? services_.formatter() : nullptr;
    if (!client)
        return;
    QPointer<DictationFlow> self(this);
    const quint64 generation = generation_;
    client->format(inserted, style, model_.vocabulary()->hotwords(), [=](const FormatOutcome& outcome) {
        runOnMainThread([=] {
            // A result that arrives after the user started another dictation is dropped.
            if (!self || self->generation_ != generation)
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
