#include "Inserter.h"

#include "Core/Log.h"
#include "KeyPoster.h"
#include "Keysyms.h"

Inserter::Inserter(Clipboard& clipboard, KeyPoster& keys, Clock& clock)
    : clipboard_(clipboard), keys_(keys), clock_(clock)
{
    clipboard_.onChanged = self_.whileAlive([this] {
        ++changes_;
        if (prepared_)
            save();
    });
}

Inserter::~Inserter()
{
    clipboard_.onChanged = nullptr;
    // Ending before the restore is due (the application quits): the user's copy goes back now,
    // so that it is what the clipboard manager is handed, not the dictated text. There's no
    // waiting to be told the paste's time: it is asked for.
    const bool restoreDue = restoring_ || restoreOnRead_ || restoreWhenTold_;
    if (restoring_)
        restoring_->cancel();
    if (givingUp_)
        givingUp_->cancel();
    if (restoreDue && !takenAt_)
        takenAt_ = clipboard_.takenAt();
    if (restoreDue)
        restore();
}

QList<quint32> Inserter::pasteKeys(Target target)
{
    if (target == Target::terminal)
        return {Keysyms::controlLeft, Keysyms::shiftLeft, Keysyms::letterV};
    return {Keysyms::controlLeft, Keysyms::letterV};
}

ClipboardContents Inserter::contentsOf(const QString& text)
{
    // UTF-8 only: the Latin-1 targets (STRING, TEXT) would turn Persian into question marks.
    const QByteArray utf8 = text.toUtf8();
    return {{"UTF8_STRING", "UTF8_STRING", 8, utf8},
            {"text/plain;charset=utf-8", "text/plain;charset=utf-8", 8, utf8},
            {"text/plain", "text/plain", 8, utf8},
            {concealedTarget, concealedTarget, 8, "secret"}};
}

void Inserter::prepare()
{
    prepared_ = true;
    if (!knowsWhatGoesBack())
        save();
}

bool Inserter::knowsWhatGoesBack() const
{
    return !saving_ && saved_ && savedAt_ == changes_;
}

void Inserter::save()
{
    saving_ = true;
    clipboard_.save(self_.whileAlive([this, at = changes_](std::optional<ClipboardContents> contents) {
        saving_ = false;
        saved_ = std::move(contents);
        savedAt_ = at;
    }));
}

Inserter::Result Inserter::insert(const QString& text, Target target, quint64 frontWindow)
{
    // An earlier paste's text that hasn't been read is withdrawn: this one replaces it.
    if (awaitingRead_)
        stopWaiting(Uptake::replaced);
    if (restoring_)
        restoring_->cancel();
    restoring_.reset();
    restoreOnRead_ = false;
    restoreWhenTold_ = false;
    takenAt_.reset();
    copiedOver_ = false;
    restored_ = false;
    prepared_ = false;
    frontWindow_ = frontWindow;
    // A paste right after another keeps the contents saved before the first one.
    if (!knowsWhatGoesBack()) {
        if (saving_)
            Log::info(QStringLiteral("clipboard not kept: its owner hadn't answered by the paste"));
        saving_ = false;
        saved_.reset();
    }

    const quint64 paste = ++pastes_;
    ClipboardServing serving{frontWindow, self_.whileAlive([this, paste](quint64 time) { taken(paste, time); }),
                             self_.whileAlive([this, paste](const QByteArray& readTarget) {
                                 if (readTarget != concealedTarget)
                                     read(paste);
                             }),
                             self_.whileAlive([this, paste](quint64 time) { copied(paste, time); })};
    const bool owned = clipboard_.own(contentsOf(text), std::move(serving));
    if (target == Target::password && owned) {
        // Nothing will be pasted: the copy is what the user asked for, so nothing goes back.
        saved_.reset();
        return Result::copied;
    }
    if (!owned) {
        Log::info(QStringLiteral("couldn't paste: the clipboard couldn't be taken"));
        saved_.reset();
        return Result::failed;
    }
    if (!keys_.post(pasteKeys(target))) {
        Log::info(QStringLiteral("couldn't paste: the desktop doesn't take synthetic keys"));
        saved_.reset();
        return Result::failed;
    }
    awaitingRead_ = true;
    restoring_ = clock_.schedule(restoreDelay, [this] {
        restoring_.reset();
        // An application still busy would read the user's contents instead of the text.
        if (awaitingRead_)
            restoreOnRead_ = true;
        else
            restore();
    });
    givingUp_ = clock_.schedule(takenBound, [this, paste] { gaveUp(paste); });
    return Result::pasted;
}

void Inserter::afterTaken(std::function<void(Uptake)> then)
{
    if (!awaitingRead_) {
        then(Uptake::read);
        return;
    }
    afterTaken_.push_back(std::move(then));
}

void Inserter::read(quint64 paste)
{
    if (paste != pastes_ || !awaitingRead_)
        return;
    // The user's contents come back before anything else waiting on the read runs.
    if (std::exchange(restoreOnRead_, false))
        restore();
    stopWaiting(Uptake::read);
}

void Inserter::taken(quint64 paste, quint64 time)
{
    // A copy's time is later: what goes back goes over the copy.
    if (paste != pastes_ || copiedOver_)
        return;
    takenAt_ = time;
    if (std::exchange(restoreWhenTold_, false))
        restore();
}

void Inserter::copied(quint64 paste, quint64 time)
{
    if (paste != pastes_)
        return;
    // The copy offers the application the text as we did; what goes back goes over it.
    Log::info(QStringLiteral("a clipboard history took the text over: the clipboard goes back over its copy"));
    takenAt_ = time;
    copiedOver_ = true;
    // A restore that went as of the paste's own time found the copy there already, and was refused.
    if (std::exchange(restoreWhenTold_, false) || restored_)
        restore();
    // The application's read of the copy can't be seen: the application showing it handled the
    // paste's keys stands for it. Until then the user's contents could reach it in the text's place.
    if (awaitingRead_ && frontWindow_ != 0)
        clipboard_.askHandled(frontWindow_, self_.whileAlive([this, paste] { read(paste); }));
}

void Inserter::gaveUp(quint64 paste)
{
    givingUp_.reset();
    // An application still busy may yet paste (from us or from a history's copy): the text stays
    // for it. A copy the user made meanwhile is theirs: it stays, and the text is no longer there.
    // Its notice may still be on its way: the desktop is asked, and its answer decides, if it comes in time.
    givingUp_ = clock_.schedule(askBound, [this, paste] { told(paste, std::nullopt); });
    clipboard_.askStillOurs(self_.whileAlive([this, paste](bool ours) { told(paste, ours); }));
}

void Inserter::told(quint64 paste, std::optional<bool> stillOurs)
{
    // A read, the next insert, or the bound, that came while the desktop was asked has decided already.
    if (paste != pastes_ || !awaitingRead_)
        return;
    Log::info(QStringLiteral("couldn't paste: the application didn't %1 within %2 s, %3")
                  .arg(copiedOver_ ? QStringLiteral("show it handled the paste") : QStringLiteral("read the text"))
                  .arg(seconds(takenBound))
                  .arg(!stillOurs   ? QStringLiteral("and the desktop didn't say whether it is still on the clipboard")
                       : *stillOurs ? QStringLiteral("it stays on the clipboard")
                                    : QStringLiteral("and the clipboard holds a later copy")));
    stopWaiting(stillOurs.value_or(false) ? Uptake::leftOnClipboard : Uptake::replaced);
}

void Inserter::stopWaiting(Uptake uptake)
{
    awaitingRead_ = false;
    if (givingUp_)
        givingUp_->cancel();
    givingUp_.reset();
    if (uptake != Uptake::read) {
        // The text stays where the user can still paste it.
        if (restoring_)
            restoring_->cancel();
        restoring_.reset();
        restoreOnRead_ = false;
    }
    for (const std::function<void(Uptake)>& then : std::exchange(afterTaken_, {}))
        then(uptake);
}

bool Inserter::restore()
{
    restoring_.reset();
    // As of the paste's own time, which the desktop tells after the paste: a restore that ran
    // without it would win over any copy made since, so it waits for it. A clipboard manager or
    // the user who took the clipboard meanwhile keeps it; otherwise the saved contents stay ours,
    // so the next paste needn't read them again.
    if (!takenAt_) {
        restoreWhenTold_ = true;
        return false;
    }
    restoreWhenTold_ = false;
    restored_ = true;
    return clipboard_.replace(saved_.value_or(ClipboardContents{}), *takenAt_);
}
