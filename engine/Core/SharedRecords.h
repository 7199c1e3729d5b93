#pragma once
// The records of a store kept in a file that other instances of the application share. The main
// thread holds the records and every change shows in them at once; a serial queue of the store's
// own does the rest: it takes the file's lock, reads what another instance saved meanwhile, puts
// the changes not yet saved on top of it, encodes and writes the file. So a save never holds up
// the main thread, and a change that meets a lock another program holds waits on the queue, to be
// saved once the lock is free; one whose save fails is tried again on its own, less and less
// often (see RetryBackoff), and so is the taking in of changes other runs kept (see KeptTakeIn). A
// change is data (a JSON object) that the store's format applies to the records, again to
// whatever the file holds when its save comes, so it must not throw and must leave records that
// no longer suit it as they are. What is still unsaved when the application ends is kept beside
// the file as data (see KeptChanges), written before anything else is worked out, and shown at
// once and saved by the next run, or by another instance.

#include "Core/Handoff.h"
#include "Core/KeptTakeIn.h"
#include "Core/RetryBackoff.h"
#include "Core/SavesAtQuit.h"
#include "Core/SerialQueue.h"
#include "Core/StoredFile.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Says in the log what a store quits without, and whether it was kept for later in `keptIn`.
void logUnsavedAtQuit(qsizetype count, const StoredFile& file, const QString& keptIn, const QString& notKept);
// Follows the folder of the file once there is one, and the file while it is there: an instance
// that empties the file in place changes no folder.
void watchFolderOf(QFileSystemWatcher& watcher, const QString& path);

template <typename Content>
class SharedRecords : public SavesAtQuit {
public:
    using Change = QJsonObject;
    // Called on the main thread once the change is saved, or kept for a later run at quit, with
    // the records the save applied it to and what it made of them.
    using Saved = std::function<void(const Content& before, const Content& after)>;
    // The same without the records, which then cost nothing to keep.
    using Done = std::function<void()>;
    // Called on the main thread, with the store's problem, the first time a save that tried the
    // change fails.
    using Failed = std::function<void(const QString& problem)>;

    struct Format {
        std::function<std::optional<QByteArray>(const Content&)> encode;
        std::function<std::optional<Content>(const QByteArray&)> decode;
        std::function<void(Content&, const Change&)> apply;
    };
    // What the owner hears, on the main thread: the records changed (a change of its own or
    // one saved elsewhere), what the store's line should say did, and a change another run kept
    // for later, of those `hears` picks, was saved by this one (with the records before and after
    // it).
    struct Listener {
        std::function<void()> contentChanged;
        std::function<void()> problemChanged;
        std::function<void(const Change&, const Content& before, const Content& after)> takenIn = {};
        std::function<bool(const Change&)> hears = {};
    };

    // Reads the file (see StoredFile) and shows on it the changes other runs kept beside it,
    // saves those, and follows what other instances save to it.
    SharedRecords(const QString& path, const QString& name, const QString& what, Format format, Listener listener)
        : file_(path, name, what), format_(std::move(format)), listener_(std::move(listener)), takeIn_(path),
          queue_(std::make_unique<SerialQueue>("quillmarsh." + name.toStdString()))
    {
        onDisk_ = file_.read(format_.decode).value_or(Content());
        saving_.content = onDisk_;
        const KeptChanges::Found kept = KeptChanges::readBeside(path);
        keptWaiting_ = KeptTakeIn::changesOf(kept);
        shown_ = shownNow();
        problem_ = file_.problem().isEmpty() ? takeIn_.problem() : file_.problem();
        QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &context_,
                         [this] { queue_->async([this] { lookAgain(); }); });
        // A file replaced by another is no longer followed: the new one is.
        QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, &context_, [this] {
            watchFolderOf(watcher_, file_.path());
            queue_->async([this] { lookAgain(); });
        });
        watchFolderOf(watcher_, path);
        queue_->async([this] { lookAgain(); });
    }

    // Keeps what is unsaved as at quit, with a bound of its own, when nobody finished the saves;
    // the owner, ending too, hears nothing more.
    ~SharedRecords() override
    {
        if (!finished_) {
            giveUpAt(std::chrono::steady_clock::now() + SavesAtQuit::bound);
            queue_->sync([this] { keepForLater(); });
        }
        queue_.reset();
    }

    SharedRecords(const SharedRecords&) = delete;
    SharedRecords& operator=(const SharedRecords&) = delete;

    const Content& content() const { return shown_; }
    const QString& path() const { return file_.path(); }
    const QString& problem() const { return problem_; }
    // Changes shown but not yet saved.
    qsizetype unsavedChanges() const { return qsizetype(pending_.size()); }

    // Applies the change to the records now and saves it on the queue.
    void change(const Change& change, Saved saved = {}, Failed failed = {})
    {
        const bool wantsRecords = bool(saved);
        add(change, {std::move(saved), {}, std::move(failed)}, wantsRecords);
    }
    void change(const Change& change, Done saved, Failed failed)
    {
        add(change, {{}, std::move(saved), std::move(failed)}, false);
    }

    void giveUpAt(std::chrono::steady_clock::time_point deadline) override { giveUpAt_ = deadline; }

    void finish() override
    {
        if (finished_)
            return;
        finished_ = true;
        queue_->sync([this] { keepForLater(); });
        deliver();
    }

private:
    struct Calls {
        Saved saved;
        Done done;
        Failed failed;  // until it is called
    };
    struct Pending {
        quint64 number;
        Change change;
        Calls calls;
    };
    struct Queued {
        quint64 number;
        Change change;
        bool wantsRecords;  // a step with the records before and after it is reported
    };
    struct Step {
        quint64 number;  // 0 for a change another run kept
        Change change;
        Content before;
        Content after;
    };
    // What the queue tells the main thread.
    struct Report {
        std::optional<Content> onDisk;  // with every change up to `savedThrough`
        quint64 savedThrough = 0;
        quint64 keptThrough = 0;  // for a later run, at quit
        quint64 failedThrough = 0;  // the changes a failed save tried
        std::vector<Step> steps;  // of the changes this save wrote or kept that want them
        std::vector<Step> takenIn;  // changes other runs kept, saved now
        std::optional<std::vector<Change>> keptWaiting;  // kept by other runs, not saved yet
        QString problem;
    };
    // The queue's own state.
    struct Saving {
        Content content;  // as the file holds it
        std::vector<Queued> unsaved;
        quint64 savedThrough = 0;
        bool closed = false;  // at quit: nothing more is saved
        RetryBackoff retry;
    };

    void add(const Change& change, Calls calls, bool wantsRecords)
    {
        const quint64 number = ++lastNumber_;
        format_.apply(shown_, change);
        pending_.push_back({number, change, std::move(calls)});
        inbox_.give({number, change, wantsRecords});
        queue_->async([this] { saveNewChanges(); });
        listener_.contentChanged();
    }

    // On the queue: a change came. Each new change is tried at once; a failed save is tried again
    // on its own, later each time.
    void saveNewChanges()
    {
        takeInbox();
        if (!saving_.unsaved.empty())
            saveUnderLock();
    }

    // On the queue: saves, under the lock and in one write, the changes other runs kept beside the
    // file (letting their files go) and then this run's unsaved ones. When the write fails, the
    // store empties the file if that is all the change asks; else all wait for the next try.
    void saveUnderLock()
    {
        takeInbox();
        if (saving_.closed)
            return;
        // Until the quit's deadline, said on the store's line when the wait is long.
        const FileLock held = file_.lockUntil(giveUpAt_, [this] { report({}); });
        // Given up at quit: what is unsaved is kept for later.
        if (held.busy())
            return;
        // Changes made while this one waited go with it.
        takeInbox();
        file_.readAgainIfChanged(saving_.content, format_.decode);
        KeptChanges::Found kept = takeIn_.look(file_.blocked());
        // What was read is shown whether or not this save goes through; whatever was kept beside
        // and isn't now has been saved.
        Report outcome;
        outcome.onDisk = saving_.content;
        outcome.keptWaiting.emplace();
        if (kept.files.empty() && saving_.unsaved.empty()) {
            takeIn_.takenIn(kept, file_);
            report(std::move(outcome));
            if (!kept.unreadable.isEmpty())
                retryLater();
            return;
        }
        Content changed = saving_.content;
        const std::vector<Change> keptChanges = KeptTakeIn::changesOf(kept);
        for (const Change& change : keptChanges) {
            if (listener_.takenIn && (!listener_.hears || listener_.hears(change)))
                outcome.takenIn.push_back(applied(changed, change, 0));
            else
                format_.apply(changed, change);
        }
        applyUnsaved(changed, outcome.steps);
        takeIn_.claim(kept);
        std::optional<QString> failure = file_.write(format_.encode(changed));
        if (failure && changed == Content())
            failure = file_.empty();
        if (failure) {
            outcome.steps.clear();
            outcome.takenIn.clear();
            outcome.failedThrough = saving_.unsaved.empty() ? 0 : saving_.unsaved.back().number;
            outcome.keptWaiting = keptChanges;
            report(std::move(outcome));
            retryLater();
            return;
        }
        saving_.content = std::move(changed);
        if (!saving_.unsaved.empty())
            saving_.savedThrough = saving_.unsaved.back().number;
        saving_.unsaved.clear();
        saving_.retry.succeeded();
        takeIn_.takenIn(kept, file_);
        outcome.onDisk = saving_.content;
        report(std::move(outcome));
        if (!kept.unreadable.isEmpty())
            retryLater();
    }

    // Puts this run's unsaved changes on the content, with a step for each that wants the records.
    void applyUnsaved(Content& content, std::vector<Step>& steps) const
    {
        for (const Queued& queued : saving_.unsaved) {
            if (queued.wantsRecords)
                steps.push_back(applied(content, queued.change, queued.number));
            else
                format_.apply(content, queued.change);
        }
    }

    Step applied(Content& content, const Change& change, quint64 number) const
    {
        Step step{number, change, content, {}};
        format_.apply(content, change);
        step.after = content;
        return step;
    }

    void retryLater()
    {
        if (const auto wait = saving_.retry.failed()) {
            queue_->asyncAfter(*wait, [this] {
                saving_.retry.due();
                saveUnderLock();
            });
        }
    }

    // On the queue: the folder changed; another instance may have saved the file or kept changes
    // beside it. While a failed save waits for its next try, that try takes them in: the failure's
    // own temporary files change the folder too.
    void lookAgain()
    {
        if (saving_.closed)
            return;
        const bool changed = file_.readAgainIfChanged(saving_.content, format_.decode);
        const KeptChanges::Found kept = KeptChanges::readBeside(file_.path());
        if (kept.anything() && !saving_.retry.waiting())
            saveUnderLock();
        else if (changed)
            report({saving_.content, {}, {}, {}, {}, {}, KeptTakeIn::changesOf(kept), {}});
    }

    // On the queue, at quit: what is still unsaved is kept for a later run, written first.
    void keepForLater()
    {
        takeInbox();
        saving_.closed = true;
        if (saving_.unsaved.empty())
            return;
        QJsonArray changes;
        for (const Queued& queued : saving_.unsaved)
            changes.append(queued.change);
        const std::optional<QString> notKept = KeptChanges::keep(file_.path(), changes);
        if (notKept)
            KeptChanges::markLost(file_.path());
        logUnsavedAtQuit(qsizetype(saving_.unsaved.size()), file_, KeptChanges::fileFor(file_.path()),
                         notKept.value_or(QString()));
        Report outcome;
        if (!notKept) {
            outcome.keptThrough = saving_.unsaved.back().number;
            // Each removal acts on what all the kept changes before it made; without one wanting
            // the records there is nothing to work out.
            const auto wantsRecords = [](const Queued& queued) { return queued.wantsRecords; };
            if (std::any_of(saving_.unsaved.begin(), saving_.unsaved.end(), wantsRecords)) {
                Content changed = saving_.content;
                applyUnsaved(changed, outcome.steps);
            }
        }
        report(std::move(outcome));
    }

    void takeInbox()
    {
        for (Queued& queued : inbox_.takeAll())
            saving_.unsaved.push_back(std::move(queued));
    }

    void report(Report outcome)
    {
        outcome.savedThrough = saving_.savedThrough;
        outcome.problem = file_.problem().isEmpty() ? takeIn_.problem() : file_.problem();
        outbox_.give(std::move(outcome));
        QMetaObject::invokeMethod(
            &context_, [this] { deliver(); }, Qt::QueuedConnection);
    }

    // On the main thread: the reports so far, in their order.
    void deliver()
    {
        for (Report& outcome : outbox_.takeAll())
            take(outcome);
    }

    // On the main thread: the file as last found, the changes other runs kept that wait for their
    // save, then this run's.
    Content shownNow() const
    {
        Content shown = onDisk_;
        for (const Change& change : keptWaiting_)
            format_.apply(shown, change);
        for (const Pending& pending : pending_)
            format_.apply(shown, pending.change);
        return shown;
    }

    void take(Report& outcome)
    {
        if (outcome.onDisk) {
            onDisk_ = *outcome.onDisk;
            watchFolderOf(watcher_, file_.path());
        }
        if (outcome.keptWaiting)
            keptWaiting_ = std::move(*outcome.keptWaiting);
        const quint64 through = std::max(outcome.savedThrough, outcome.keptThrough);
        std::vector<Pending> saved;
        while (!pending_.empty() && pending_.front().number <= through) {
            saved.push_back(std::move(pending_.front()));
            pending_.pop_front();
        }
        // Kept for later, the changes stay shown to the end.
        if (outcome.keptThrough == 0) {
            if (Content shown = shownNow(); shown != shown_) {
                shown_ = std::move(shown);
                listener_.contentChanged();
            }
        }
        if (outcome.problem != problem_) {
            problem_ = outcome.problem;
            listener_.problemChanged();
        }
        for (Pending& pending : pending_) {
            if (pending.number > outcome.failedThrough)
                break;
            if (const Failed failed = std::exchange(pending.calls.failed, {}))
                failed(problem_);
        }
        size_t step = 0;
        for (const Pending& pending : saved) {
            if (pending.calls.done)
                pending.calls.done();
            if (!pending.calls.saved)
                continue;
            // Steps come in the changes' order, one for each change that wants the records.
            while (step < outcome.steps.size() && outcome.steps[step].number < pending.number)
                ++step;
            if (step < outcome.steps.size() && outcome.steps[step].number == pending.number)
                pending.calls.saved(outcome.steps[step].before, outcome.steps[step].after);
        }
        if (listener_.takenIn) {
            for (const Step& taken : outcome.takenIn)
                listener_.takenIn(taken.change, taken.before, taken.after);
        }
    }

    StoredFile file_;  // used on the queue after the first read
    const Format format_;
    const Listener listener_;
    KeptTakeIn takeIn_;  // the queue's after the first read

    // The main thread's.
    Content onDisk_;  // as the queue last found or made the file
    std::vector<Change> keptWaiting_;  // kept beside it by other runs, not yet saved
    Content shown_;  // with the waiting changes on top
    std::deque<Pending> pending_;
    quint64 lastNumber_ = 0;
    QString problem_;
    bool finished_ = false;
    QObject context_;  // receives the queue's calls to deliver: none arrive once it is gone
    QFileSystemWatcher watcher_;

    Handoff<Queued> inbox_;  // handed to the queue, not yet taken
    Handoff<Report> outbox_;  // told by the queue, not yet heard
    Saving saving_;  // the queue's
    std::atomic<std::chrono::steady_clock::time_point> giveUpAt_{std::chrono::steady_clock::time_point::max()};
    std::unique_ptr<SerialQueue> queue_;  // last: ends before the members it uses
};
