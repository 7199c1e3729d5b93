#pragma once
// Installs one speech-model package from a model source: every file is fetched into a staging
// folder (resuming what an earlier attempt left there) after a free-space check, checked for
// size and SHA-256, recorded, and the folder is then swapped into place. States reach the owner
// on the main thread; while the source is slow they say so, counting up the wait.

#include "Core/Clock.h"
#include "InstallJob.h"
#include "ModelInstallError.h"
#include "ModelPackage.h"
#include "ModelSource.h"
#include "SlowSourceWatch.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

class ModelInstaller {
public:
    struct Installing {
        qint64 done = 0;  // bytes present so far, counting what was already staged
        qint64 total = 0;  // the package's size; 0 until the first progress report
        double bytesPerSecond = 0;
        // Set while the source is slow: the whole seconds since its last useful progress.
        std::optional<int> slowSeconds;

        // The time left at the recent rate, when there is a rate to go by.
        std::optional<double> secondsLeft() const;
        // While the source is slow, the line that says so instead of the progress.
        std::optional<QString> slowLine() const;
        bool operator==(const Installing&) const = default;
    };
    struct Installed {
        QString folder;
        bool operator==(const Installed&) const = default;
    };
    struct Failed {
        ModelInstallError error;
        bool operator==(const Failed&) const = default;
    };
    struct Idle {
        bool operator==(const Idle&) const = default;
    };
    using State = std::variant<Installing, Installed, Failed, Idle>;

    // The bytes free for the folder's volume, or nothing when that can't be read.
    using FreeSpace = std::function<std::optional<qint64>(const QString& folder)>;
    static std::optional<qint64> volumeFreeSpace(const QString& folder);

    explicit ModelInstaller(std::shared_ptr<ModelSource> source, Clock& clock = Clock::system(),
                            FreeSpace freeSpace = volumeFreeSpace);
    ~ModelInstaller();
    ModelInstaller(const ModelInstaller&) = delete;
    ModelInstaller& operator=(const ModelInstaller&) = delete;

    // Main thread only.
    const State& state() const { return job_.state(); }
    std::function<void(const State&)> onChange;

    // Main thread. Does nothing while an install runs; reports an installed package at once;
    // otherwise starts installing on the queue "quillmarsh.install" and returns.
    void install(ModelPackage package);
    // Main thread. The running fetch stops at its next check and the install fails "Stopped.".
    void stop();

private:
    class Progress;
    class SourceWait;

    void run(ModelPackage package);
    // Any thread, while a run is under way.
    void report(Installing progress);
    void received(qint64 bytes);
    void waitOnSource(bool waiting);
    void finish(State outcome);
    // Tells a change of the slowness; the caller holds reportMutex_.
    void reportSlowness();
    void tick();

    std::shared_ptr<ModelSource> source_;
    Clock& clock_;
    FreeSpace freeSpace_;
    std::mutex reportMutex_;  // guards the members below up to job_
    SlowSourceWatch watch_{clock_};
    Installing latest_;  // the last Installing reported
    bool runUnderWay_ = false;
    std::shared_ptr<ScheduledWork> tick_;  // looks at the slowness while a run is under way
    // Last: a running install ends before the members it uses.
    InstallJob<State, Installing, Idle> job_{"quillmarsh.install", [this](const State& state) {
                                                 if (onChange)
                                                     onChange(state);
                                             }};
};
