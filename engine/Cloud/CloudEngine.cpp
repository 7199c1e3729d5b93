#include "Cloud/CloudEngine.h"

#include "Cloud/CloudStream.h"
#include "Core/NetworkThread.h"

namespace {

const CloudConfig& validated(const CloudConfig& config)
{
    config.validate();
    return config;
}

}

CloudEngine::CloudEngine(const CloudConfig& config, TokenProvider token, Clock& clock)
    : config_(validated(config)), token_(std::move(token)), clock_(clock), network_(std::make_shared<NetworkThread>())
{
}

CloudEngine::~CloudEngine() = default;

std::shared_ptr<SpeechStream> CloudEngine::openStream(const QStringList& hotwords)
{
    std::optional<QString> token = token_ ? token_() : std::nullopt;
    if (!token || token->isEmpty())
        token = config_.token;
    if (token && token->isEmpty())
        token.reset();
    return CloudStream::open(network_, config_, hotwords, token, clock_);
}
