#pragma once
// Decides for every dictation where speech is recognised: on this computer, on the speech
// server, or on the server with this computer as backup. Follows the user's mode, which engines
// exist right now, and a cool-down that skips the server for a while after it failed twice in a
// row. Server refusals are handed on to the application.

#include "Cloud/FailoverStream.h"
#include "Core/Clock.h"
#include "Recognition/SpeechEngine.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class SpeechRouter final : public SpeechEngine {
public:
    enum class Mode { automatic, cloud, local };
    static constexpr Mode allModes[] = {Mode::automatic, Mode::cloud, Mode::local};
    static QString rawValue(Mode mode);
    // Exact, case-sensitive match.
    static std::optional<Mode> mode(const QString& raw);

    static constexpr int failuresBeforeCooldown = 2;
    static constexpr double cooldown = 60.0;  // seconds

    // Each returns its engine, or nothing while it is unavailable (no model loaded, no server).
    using EngineSource = std::function<std::shared_ptr<SpeechEngine>()>;

    SpeechRouter(Mode mode, FailoverStream::Options failover, Clock& clock, EngineSource local, EngineSource cloud);
    ~SpeechRouter() override;

    // A change applies from the next dictation on.
    Mode mode() const;
    void setMode(Mode mode);
    // Set once, before the first dictation; receives codes such as "unauthorized".
    void setOnRefusal(std::function<void(const QString& code)> onRefusal);

    // Throws RouterError when the chosen path has no engine, or the local engine's error.
    std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) override;

    struct Health;

private:
    const EngineSource local_;
    const EngineSource cloud_;
    const FailoverStream::Options failoverOptions_;
    Clock& clock_;
    // Held weakly by the failover streams' callbacks, which may outlive the router.
    const std::shared_ptr<Health> health_;
};
