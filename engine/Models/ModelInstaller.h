#pragma once
// Installs one speech-model package from a model source: every file is fetched into a staging
// folder (resuming what an earlier attempt left there) after a free-space check, checked for
// size and SHA-256, recorded, and the folder is then swapped into place. States reach the owner
// on the main thread.

#include "Core/Clock.h"
#include "InstallJob.h"
#include "ModelInstallError.h"
#include "ModelPackage.h"
#include "ModelSource.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class ModelInstaller {
public:
    struct Installing {
        qint64 done = 0;  // bytes present so far, counting what was already staged
        qint64 total = 0;  // the package's size; 0 until the first progress report
        double bytesPerSecond = 0;

        // The time left at the recent rate, when there is a rate to go by.
        std::optional<double> secondsLeft() const;
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

    void run(ModelPackage package);

    std::shared_ptr<ModelSource> source_;
    Clock& clock_;
    FreeSpace freeSpace_;
    // Last: a running install ends before the members it uses.
    InstallJob<State, Installing, Idle> job_{"quillmarsh.install", [this](const State& state) {
                                                 if (onChange)
                                                     onChange(state);
                                             }};
};
