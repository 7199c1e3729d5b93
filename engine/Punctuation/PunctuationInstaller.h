#pragma once
// Downloads the punctuation model from the model host into a staging folder inside its own
// folder, checks every file against the manifest's size and SHA-256, and moves them in with
// "model.onnx" last, so the model only counts as installed once everything else is in place.
// States reach the owner on the main thread.

#include "Models/InstallJob.h"
#include "Models/ModelSource.h"

#include <QString>

#include <functional>
#include <memory>
#include <variant>

class PunctuationInstaller {
public:
    struct Installing {
        qint64 done = 0;  // bytes already staged or downloaded in this run
        qint64 total = 0;  // the manifest's sizes added up; 0 until the first progress report
        bool operator==(const Installing&) const = default;
    };
    struct Failed {
        QString text;  // what ended the run
        bool operator==(const Failed&) const = default;
    };
    struct Idle {
        bool operator==(const Idle&) const = default;
    };
    struct Installed {
        bool operator==(const Installed&) const = default;
    };
    using State = std::variant<Installing, Failed, Idle, Installed>;

    PunctuationInstaller(std::shared_ptr<ModelSource> source, QString directory);

    // Main thread only.
    const State& state() const { return job_.state(); }
    std::function<void(const State&)> onChange;

    // Main thread. Does nothing while a run is under way; reports the model installed at once
    // when both files are already in the store's own folder; otherwise starts a run.
    void install();
    // Main thread. A download under way stops at its next check and the run fails "Stopped.".
    void stop();

private:
    void run();

    std::shared_ptr<ModelSource> source_;
    QString directory_;
    // Last: a running download ends before the members it uses.
    InstallJob<State, Installing, Idle> job_{"quillmarsh.punctuation-install", [this](const State& state) {
                                                 if (onChange)
                                                     onChange(state);
                                             }};
};
