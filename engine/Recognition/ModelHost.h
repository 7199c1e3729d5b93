#pragma once
// Owns the one loaded recogniser: loads it off the main thread, warms it up with a second of
// silence, and reports every change of state on the main thread.

#include "Core/Clock.h"
#include "Core/Lifeline.h"
#include "Recognizer.h"
#include "RecognizerConfig.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class ModelHost {
public:
    // Why a load failed, for the words the user is shown: a file of the model isn't there, the
    // library couldn't read what the files hold, or the load failed some other way.
    enum class Problem { missing, damaged, unloadable };

    struct State {
        enum class Kind { idle, loading, ready, failed };

        Kind kind = Kind::idle;
        double loadSeconds = 0;  // ready: making the recogniser
        double warmSeconds = 0;  // ready: the warm-up decode
        uint64_t footprintBytes = 0;  // ready: the process's footprint after loading, 0 if unknown
        QString error;  // failed: the error's description, for the log
        Problem problem = Problem::unloadable;  // failed: why

        static State idle() { return {}; }
        static State loading() { return {Kind::loading, 0, 0, 0, {}}; }
        static State ready(double loadSeconds, double warmSeconds, uint64_t footprintBytes)
        {
            return {Kind::ready, loadSeconds, warmSeconds, footprintBytes, {}};
        }
        static State failed(const QString& error, Problem problem = Problem::unloadable)
        {
            return {Kind::failed, 0, 0, 0, error, problem};
        }

        bool operator==(const State&) const = default;
    };

    // Makes the recogniser; throws an Error (or another exception) when it can't.
    using RecognizerFactory = std::function<std::shared_ptr<Recognizer>(const RecognizerConfig&)>;

    explicit ModelHost(Clock& clock = Clock::system(), RecognizerFactory factory = {});
    ~ModelHost();
    ModelHost(const ModelHost&) = delete;
    ModelHost& operator=(const ModelHost&) = delete;

    // Main thread only. Returns at once; ignored while a load is under way. The old recogniser
    // is dropped first, and the new one is published just before the state becomes ready.
    void load(const RecognizerConfig& config);

    const State& state() const { return state_; }
    // Nothing while loading and after a failure.
    std::shared_ptr<Recognizer> recognizer() const { return recognizer_; }

    // Called on the main thread with every state that is set, equal to the old one or not.
    std::function<void(const State&)> onChange;

private:
    void set(const State& state);

    Clock& clock_;
    RecognizerFactory factory_;
    State state_;
    std::shared_ptr<Recognizer> recognizer_;
    // Lets a load that finishes after the host is gone find out.
    const Lifeline<ModelHost> self_;
};
