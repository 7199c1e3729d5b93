#include "Cloud/SpeechRouter.h"

#include "Cloud/RouterError.h"
#include "Core/Log.h"
#include "Core/RawValues.h"

#include <mutex>

// The router's lock and what it guards. Taken after a failover stream's lock, never before,
// and never held while a stream is opened or a line is logged.
struct SpeechRouter::Health {
    explicit Health(Mode initial, Clock& time) : mode(initial), clock(time) {}

    mutable std::mutex lock;
    Mode mode;
    int consecutiveFailures = 0;
    std::optional<Clock::TimePoint> skipCloudUntil;
    std::function<void(const QString&)> onRefusal;
    Clock& clock;

    bool cloudIsCoolingDown()
    {
        std::lock_guard guard(lock);
        if (!skipCloudUntil)
            return false;
        if (clock.now() < *skipCloudUntil)
            return true;
        // Over: one more failure starts the next cool-down at once, a success clears the count.
        skipCloudUntil.reset();
        consecutiveFailures = 1;
        return false;
    }

    void recordOutcome(bool success)
    {
        std::lock_guard guard(lock);
        if (success) {
            consecutiveFailures = 0;
            skipCloudUntil.reset();
            return;
        }
        ++consecutiveFailures;
        if (consecutiveFailures >= failuresBeforeCooldown)
            skipCloudUntil =
                clock.now() + std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(cooldown));
    }
};

namespace {
constexpr auto modeRawValues = rawValueTable<SpeechRouter::Mode>({{SpeechRouter::Mode::automatic, "automatic"},
                                                                  {SpeechRouter::Mode::cloud, "cloud"},
                                                                  {SpeechRouter::Mode::local, "local"}});
}

QString SpeechRouter::rawValue(Mode mode)
{
    return modeRawValues.rawValue(mode);
}

std::optional<SpeechRouter::Mode> SpeechRouter::mode(const QString& raw)
{
    return modeRawValues.value(raw);
}

SpeechRouter::SpeechRouter(Mode mode, FailoverStream::Options failover, Clock& clock, EngineSource local,
                           EngineSource cloud)
    : local_(std::move(local)), cloud_(std::move(cloud)), failoverOptions_(failover), clock_(clock),
      health_(std::make_shared<Health>(mode, clock))
{
}

SpeechRouter::~SpeechRouter() = default;

SpeechRouter::Mode SpeechRouter::mode() const
{
    std::lock_guard guard(health_->lock);
    return health_->mode;
}

void SpeechRouter::setMode(Mode mode)
{
    std::lock_guard guard(health_->lock);
    health_->mode = mode;
}

void SpeechRouter::setOnRefusal(std::function<void(const QString&)> onRefusal)
{
    std::lock_guard guard(health_->lock);
    health_->onRefusal = std::move(onRefusal);
}

std::shared_ptr<SpeechStream> SpeechRouter::openStream(const QStringList& hotwords)
{
    const std::shared_ptr<SpeechEngine> local = local_();
    const std::shared_ptr<SpeechEngine> cloud = cloud_();
    const Mode current = mode();

    switch (current) {
    case Mode::local:
        if (!local)
            throw RouterError(RouterError::Kind::noEngine);
        return local->openStream(hotwords);
    case Mode::cloud:
        if (!cloud)
            throw RouterError(RouterError::Kind::noServer);
        Log::info(QStringLiteral("dictation on the speech server (no backup)"));
        return cloud->openStream(hotwords);
    case Mode::automatic:
        break;
    }

    if (!cloud) {
        if (!local)
            throw RouterError(RouterError::Kind::noEngine);
        return local->openStream(hotwords);
    }
    if (!local)
        return cloud->openStream(hotwords);
    if (health_->cloudIsCoolingDown()) {
        Log::info(QStringLiteral("speech server skipped for now (it failed recently); using this computer"));
        return local->openStream(hotwords);
    }

    std::shared_ptr<SpeechStream> primary;
    try {
        primary = cloud->openStream(hotwords);
    } catch (const std::exception& error) {
        health_->recordOutcome(false);
        Log::info(QStringLiteral("speech server unavailable (") + QString::fromUtf8(error.what())
                  + QStringLiteral("); using this computer"));
        return local->openStream(hotwords);
    }
    Log::info(QStringLiteral("dictation on the speech server (this computer as backup)"));
    const std::weak_ptr<Health> weak = health_;
    return std::make_shared<FailoverStream>(
        primary, failoverOptions_, clock_,
        [weak](bool success) {
            if (auto health = weak.lock())
                health->recordOutcome(success);
        },
        [weak](const QString& code) {
            auto health = weak.lock();
            if (!health)
                return;
            std::function<void(const QString&)> onRefusal;
            {
                std::lock_guard guard(health->lock);
                onRefusal = health->onRefusal;
            }
            if (onRefusal)
                onRefusal(code);
        },
        [local, hotwords] { return local->openStream(hotwords); });
}
