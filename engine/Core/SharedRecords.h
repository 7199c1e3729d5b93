#pragma once
// The records of a store kept in a file that other instances of the application share. The main
// thread holds the records and every change shows in them at once; a serial queue of the store's
// own does the rest: it takes the file's lock, reads what another instance saved meanwhile, puts
// the changes not yet saved on top of it, encodes and writes the file. So a save never holds up
// the main thread, and a change that meets a lock another program holds waits on the queue, to be
// saved once the lock is free; one whose save fails stays in the records and goes with the next
// save. A change is a function of the records, applied again to whatever the file holds when its
// save comes, so it must not throw and must leave records that no longer suit it as they are.

#include "Core/SerialQueue.h"
#include "Core/StoredFile.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace SharedRecordsTimes {
// A wait for the lock this long is said on the store's line.
inline constexpr auto longWait = std::chrono::seconds(2);
// How long the saves still pending at quit may take.
inline constexpr auto atQuit = std::chrono::seconds(1);
}

// Says in the log how many changes a store quits without.
void logUnsavedAtQuit(qsizetype count, const StoredFile& file);
// Follows the folder of the file once there is one.
void watchFolderOf(QFileSystemWatcher& watcher, const QString& path);

template <typename Content>
class SharedRecords {
public:
    using Edit = std::function<void(Content&)>;
    // Called on the main thread once the change is saved, with the records the save applied it
    // to and what it made of them.
    using Saved = std::function<void(const Content& before, const Content& after)>;
    // Called on the main thread, with the store's problem, the first time a save of the change
    // fails; it stays to be saved with the next change.
    using Failed = std::function<void(const QString& problem)>;

    struct Format {
        std::function<std::optional<QByteArray>(const Content&)> encode;
        std::function<std::optional<Content>(const QByteArray&)> decode;
    };
    // What the owner hears, on the main thread: the records changed (a change of its own or
    // one saved elsewhere), or what the store's line should say did.
    struct Listener {
        std::function<void()> contentChanged;
        std::function<void()> problemChanged;
    };

    // Reads the file (see StoredFile) and follows what other instances save to it.
    SharedRecords(const QString& path, const QString& name, const QString& what, Format format, Listener listener)
        : file_(path, name, what), format_(std::move(format)), listener_(std::move(listener)),
          queue_(std::make_unique<SerialQueue>("quillmarsh." + name.toStdString()))
    {
        onDisk_ = file_.read(format_.decode).value_or(Content());
        shown_ = onDisk_;
        saving_.content = onDisk_;
        problem_ = file_.problem();
        QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &context_,
                         [this] { queue_->async([this] { lookAgain(); }); });
        watchFolderOf(watcher_, path);
    }

    // Gives the pending saves a short while, then logs what is left unsaved.
    ~SharedRecords()
    {
        giveUpAt_ = std::chrono::steady_clock::now() + SharedRecordsTimes::atQuit;
        queue_.reset();
        logUnsavedAtQuit(saving_.unsaved.size() + qsizetype(inbox_.size()), file_);
    }

    SharedRecords(const SharedRecords&) = delete;
    SharedRecords& operator=(const SharedRecords&) = delete;

    const Content& content() const { return shown_; }
    const QString& path() const { return file_.path(); }
    const QString& problem() const { return problem_; }
    // Changes shown but not yet saved.
    qsizetype unsavedChanges() const { return qsizetype(pending_.size()); }

    // Applies the change to the records now and saves it on the queue.
    void change(Edit edit, Saved saved = {}, Failed failed = {})
    {
        const quint64 number = ++lastNumber_;
        edit(shown_);
        pending_.push_back({number, edit, std::move(saved), std::move(failed)});
        {
            const std::lock_guard lock(inboxMutex_);
            inbox_.push_back({number, std::move(edit)});
        }
        queue_->async([this] { save(); });
        listener_.contentChanged();
    }

private:
    struct Pending {
        quint64 number;
        Edit edit;
        Saved saved;
        Failed failed;  // until it is called
    };
    struct Queued {
        quint64 number;
        Edit edit;
    };
    struct Step {
        quint64 number;
        Content before;
        Content after;
    };
    // What the queue tells the main thread.
    struct Report {
        std::optional<Content> onDisk;  // with every change up to `savedThrough`
        quint64 savedThrough = 0;
        std::vector<Step> steps;  // of the changes this save wrote
        bool failed = false;  // this save
        QString problem;
    };
    // The queue's own state.
    struct Saving {
        Content content;  // as the file holds it
        std::vector<Queued> unsaved;
        quint64 savedThrough = 0;
    };

    // On the queue.
    void save()
    {
        takeInbox();
        if (saving_.unsaved.empty())
            return;
        const auto start = std::chrono::steady_clock::now();
        bool told = false;
        const FileLock held = file_.lock([&] {
            const auto now = std::chrono::steady_clock::now();
            if (!told && now - start >= SharedRecordsTimes::longWait) {
                told = true;
                file_.noteLongWait();
                report({});
            }
            return now < giveUpAt_.load();
        });
        // Changes made while this one waited go with it.
        takeInbox();
        file_.readAgainIfChanged(saving_.content, format_.decode);
        Report outcome;
        Content changed = saving_.content;
        for (const Queued& queued : saving_.unsaved) {
            Step step{queued.number, changed, {}};
            queued.edit(changed);
            step.after = changed;
            outcome.steps.push_back(std::move(step));
        }
        if (!file_.write(format_.encode(changed))) {
            saving_.content = std::move(changed);
            saving_.savedThrough = saving_.unsaved.back().number;
            saving_.unsaved.clear();
        } else {
            outcome.steps.clear();
            outcome.failed = true;
        }
        outcome.onDisk = saving_.content;
        report(std::move(outcome));
    }

    // On the queue: the folder changed; another instance may have saved the file.
    void lookAgain()
    {
        if (file_.readAgainIfChanged(saving_.content, format_.decode))
            report({saving_.content, {}, {}, false, {}});
    }

    void takeInbox()
    {
        const std::lock_guard lock(inboxMutex_);
        for (Queued& queued : inbox_)
            saving_.unsaved.push_back(std::move(queued));
        inbox_.clear();
    }

    void report(Report outcome)
    {
        outcome.savedThrough = saving_.savedThrough;
        outcome.problem = file_.problem();
        QMetaObject::invokeMethod(
            &context_, [this, outcome = std::move(outcome)] { take(outcome); }, Qt::QueuedConnection);
    }

    // On the main thread.
    void take(const Report& outcome)
    {
        if (outcome.onDisk) {
            onDisk_ = *outcome.onDisk;
            watchFolderOf(watcher_, file_.path());
        }
        std::vector<Pending> saved;
        while (!pending_.empty() && pending_.front().number <= outcome.savedThrough) {
            saved.push_back(std::move(pending_.front()));
            pending_.pop_front();
        }
        Content shown = onDisk_;
        for (const Pending& pending : pending_)
            pending.edit(shown);
        if (shown != shown_) {
            shown_ = std::move(shown);
            listener_.contentChanged();
        }
        if (outcome.problem != problem_) {
            problem_ = outcome.problem;
            listener_.problemChanged();
        }
        if (outcome.failed) {
            for (Pending& pending : pending_) {
                if (const Failed failed = std::exchange(pending.failed, {}))
                    failed(problem_);
            }
        }
        for (const Pending& pending : saved) {
            if (!pending.saved)
                continue;
            for (const Step& step : outcome.steps) {
                if (step.number == pending.number)
                    pending.saved(step.before, step.after);
            }
        }
    }

    StoredFile file_;  // used on the queue after the first read
    const Format format_;
    const Listener listener_;

    // The main thread's.
    Content onDisk_;  // as the queue last found or made the file
    Content shown_;  // with the pending changes on top
    std::deque<Pending> pending_;
    quint64 lastNumber_ = 0;
    QString problem_;
    QObject context_;  // receives the queue's reports: none arrive once it is gone
    QFileSystemWatcher watcher_;

    std::mutex inboxMutex_;
    std::vector<Queued> inbox_;  // handed to the queue, not yet taken
    Saving saving_;  // the queue's
    std::atomic<std::chrono::steady_clock::time_point> giveUpAt_{std::chrono::steady_clock::time_point::max()};
    std::unique_ptr<SerialQueue> queue_;  // last: ends before the members it uses
};
