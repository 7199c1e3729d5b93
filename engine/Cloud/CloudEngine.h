#pragma once
// Speech recognised on the speech server: one CloudStream per dictation. The address is checked
// when the engine is built, so an unusable one never reaches a dictation.

#include "Cloud/CloudConfig.h"
#include "Core/Clock.h"
#include "Core/TokenProvider.h"
#include "Recognition/SpeechEngine.h"

#include <memory>

class NetworkThread;

class CloudEngine final : public SpeechEngine {
public:
    // Throws the CloudError of config.validate(). The clock runs the streams' time limits.
    CloudEngine(const CloudConfig& config, TokenProvider token, Clock& clock = Clock::system());
    ~CloudEngine() override;

    const CloudConfig& config() const { return config_; }

    // Never throws. The token is asked for on every dictation, so a renewed sign-in applies
    // from the next one on.
    std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) override;

private:
    const CloudConfig config_;
    const TokenProvider token_;
    Clock& clock_;
    // Shared with the streams, which may outlive the engine.
    std::shared_ptr<NetworkThread> network_;
};
