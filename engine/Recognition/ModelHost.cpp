#include "ModelHost.h"

#include "Core/Log.h"
#include "Core/MainThread.h"
#include "Core/ProcessStats.h"

#include <QThreadPool>

#include <new>
#include <vector>

ModelHost::ModelHost(Clock& clock, RecognizerFactory factory) : clock_(clock), factory_(std::move(factory)), self_(this)
{
    if (!factory_)
        factory_ = [](const RecognizerConfig& config) { return std::make_shared<Recognizer>(config); };
}

ModelHost::~ModelHost() = default;

void ModelHost::load(const RecognizerConfig& config)
{
    if (state_.kind == State::Kind::loading)
        return;
    recognizer_.reset();
    set(State::loading());

    std::weak_ptr<ModelHost*> host = self_.weak();
    QThreadPool::globalInstance()->start([host, config, factory = factory_, &clock = clock_] {
        std::shared_ptr<Recognizer> recognizer;
        double loadSeconds = 0, warmSeconds = 0;
        QString failure;
        Problem problem = Problem::unloadable;
        try {
            const Clock::TimePoint loadStart = clock.now();
            recognizer = factory(config);
            loadSeconds = seconds(clock.now() - loadStart);

            const Clock::TimePoint warmStart = clock.now();
            const std::shared_ptr<RecognitionStream> stream = recognizer->makeStream({});
            const std::vector<float> silence(Recognizer::sampleRate, 0.0f);
            stream->accept(silence);
            stream->finish();
            warmSeconds = seconds(clock.now() - warmStart);
        } catch (const RecognizerError& error) {
            recognizer.reset();
            failure = error.description();
            if (error.kind() == RecognizerError::Kind::missingFile)
                problem = Problem::missing;
            else if (error.kind() == RecognizerError::Kind::damagedFile)
                problem = Problem::damaged;
        } catch (const std::bad_alloc& error) {
            recognizer.reset();
            failure = QString::fromUtf8(error.what());
        } catch (const std::exception& error) {
            // The library's own exception: it couldn't make sense of what the files hold.
            recognizer.reset();
            failure = QString::fromUtf8(error.what());
            problem = Problem::damaged;
        }

        runOnMainThread([host, recognizer, config, loadSeconds, warmSeconds, failure, problem] {
            const std::shared_ptr<ModelHost*> alive = host.lock();
            if (!alive)
                return;
            ModelHost& self = **alive;
            if (!recognizer) {
                Log::info(QStringLiteral("model not loaded: ") + failure);
                self.set(State::failed(failure, problem));
                return;
            }
            self.recognizer_ = recognizer;
            Log::info(
                QStringLiteral("model ready: %1, %2 threads").arg(recognizer->decodingMethod()).arg(config.threads));
            self.set(State::ready(loadSeconds, warmSeconds, ProcessStats::footprintBytes()));
        });
    });
}

void ModelHost::set(const State& state)
{
    if (!isMainThread()) {
        std::weak_ptr<ModelHost*> host = self_.weak();
        runOnMainThread([host, state] {
            if (const auto alive = host.lock())
                (*alive)->set(state);
        });
        return;
    }
    state_ = state;
    if (onChange)
        onChange(state);
}
