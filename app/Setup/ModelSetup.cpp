#include "ModelSetup.h"

#include "Core/Log.h"
#include "Core/MainThread.h"
#include "Core/SerialQueue.h"
#include "Main/AppModel.h"
#include "Models/HTTPSModelSource.h"
#include "Models/ModelDownload.h"
#include "Models/ModelFamily.h"
#include "Models/ModelInstaller.h"
#include "Models/ModelStore.h"
#include "Punctuation/PunctuationInstaller.h"
#include "Punctuation/PunctuationStore.h"
#include "Punctuation/Punctuator.h"
#include "Recognition/KeepWarm.h"
#include "Recognition/ModelHost.h"
#include "Recognition/Recognizer.h"
#include "SpeechModelProblem.h"

#include <cmath>

namespace {

constexpr double keepWarmSeconds = 30.0;
constexpr int punctuationThreads = 2;
// Punctuated once after loading and by the keep-warm job.
const QString warmUpSentence = QStringLiteral("سلام امروز هوا خوب است فردا به دیدنت میام");

QString megabytes(qint64 bytes)
{
    return QString::number(std::llround(double(bytes) / 1e6));
}

QString installingLine(const ModelInstaller::Installing& progress)
{
    if (const auto slow = progress.slowLine())
        return *slow;
    QString line = QStringLiteral("Getting the speech model…");
    if (progress.total > 0)
        line += QStringLiteral(" %1 of %2 MB").arg(megabytes(progress.done), megabytes(progress.total));
    if (const auto left = progress.secondsLeft())
        line += QStringLiteral(", about %1 min left").arg(std::max<qint64>(1, std::llround(*left / 60)));
    return line;
}

ModelPackage chosenPackage(const AppModel& model)
{
    return ModelPackage::fromRawValue(model.modelPackage()).value_or(ModelPackage::accurate);
}

}

ModelSetup::ModelSetup(AppModel& model)
    : model_(model), host_(std::make_unique<ModelHost>()),
      installer_(std::make_unique<ModelInstaller>(ModelDownloads::source(ModelFamily::current()))),
      punctuationInstaller_(std::make_unique<PunctuationInstaller>(
          std::make_shared<HTTPSModelSource>(ModelDownloads::base(), ModelFamily::current()),
          PunctuationStore::directory())),
      punctuationQueue_(std::make_unique<SerialQueue>("quillmarsh.punctuation")),
      warmQueue_(std::make_unique<SerialQueue>("quillmarsh.keep-warm"))
{
    model_.setLanguages(QStringLiteral("Persian + English"));
    watchInstallers();
}

ModelSetup::~ModelSetup()
{
    keepWarm_.reset();
    // Queued work holds the punctuator by its own reference; the queues end before the rest.
    warmQueue_.reset();
    punctuationQueue_.reset();
}

void ModelSetup::watchInstallers()
{
    host_->onChange = [this](const ModelHost::State& state) {
        switch (state.kind) {
        case ModelHost::State::Kind::loading:
            model_.setSpeechStatus(QStringLiteral("Loading the speech model…"));
            break;
        case ModelHost::State::Kind::ready:
            model_.setSpeechStatus(QStringLiteral("Ready"));
            break;
        case ModelHost::State::Kind::failed:
            model_.setSpeechStatus(SpeechModelProblem::status(state.problem));
            break;
        case ModelHost::State::Kind::idle:
            break;
        }
        model_.setSpeechProblem(state.kind == ModelHost::State::Kind::failed
                                    ? SpeechModelProblem::sentence(state.problem, ModelStore::overrideDir())
                                    : QString());
        model_.setSpeechReady(state.kind == ModelHost::State::Kind::ready);
        publishLoading();
        if (onHostChange)
            onHostChange(state);
    };
    installer_->onChange = [this](const ModelInstaller::State& state) {
        if (const auto* progress = std::get_if<ModelInstaller::Installing>(&state))
            model_.setSpeechStatus(installingLine(*progress));
        else if (const auto* failed = std::get_if<ModelInstaller::Failed>(&state)) {
            model_.setSpeechStatus(failed->error.description());
            model_.setSpeechProblem(failed->error.description());
        } else if (const auto* installed = std::get_if<ModelInstaller::Installed>(&state))
            host_->load(RecognizerConfig(installed->folder));
        publishLoading();
        if (onInstallChange)
            onInstallChange(state);
    };
    punctuationInstaller_->onChange = [this](const PunctuationInstaller::State& state) {
        if (std::holds_alternative<PunctuationInstaller::Installed>(state))
            loadPunctuation();
        else if (const auto* failed = std::get_if<PunctuationInstaller::Failed>(&state))
            Log::info(QStringLiteral("punctuation model not installed: ") + failed->text);
        if (onPunctuationChange)
            onPunctuationChange(state);
    };
}

void ModelSetup::publishLoading()
{
    model_.setModelLoading(busy());
}

bool ModelSetup::busy() const
{
    return std::holds_alternative<ModelInstaller::Installing>(installer_->state())
           || host_->state().kind == ModelHost::State::Kind::loading;
}

bool ModelSetup::failed() const
{
    return std::holds_alternative<ModelInstaller::Failed>(installer_->state())
           || host_->state().kind == ModelHost::State::Kind::failed;
}

void ModelSetup::start()
{
    if (const auto folder = ModelStore::overrideDir())
        host_->load(RecognizerConfig(*folder));
    else
        prepare(chosenPackage(model_));
    if (PunctuationStore::isInstalled()) {
        loadPunctuation();
        if (onPunctuationChange)
            onPunctuationChange(PunctuationInstaller::Installed{});
    } else
        punctuationInstaller_->install();
    keepWarm_ = std::make_unique<KeepWarm>(keepWarmSeconds, *warmQueue_, [this] { return warmUpWork(); });
    keepWarm_->start();
}

void ModelSetup::retry()
{
    if (busy())
        return;
    if (const auto folder = ModelStore::overrideDir()) {
        host_->load(RecognizerConfig(*folder));
        return;
    }
    const ModelPackage package = chosenPackage(model_);
    // Loading a damaged model again can't help: it is fetched anew.
    const ModelHost::State& state = host_->state();
    if (state.kind == ModelHost::State::Kind::failed && state.problem == ModelHost::Problem::damaged) {
        try {
            ModelStore::remove(package);
        } catch (const Error& error) {
            Log::info(QStringLiteral("damaged model not removed: ") + error.description());
        }
    }
    prepare(package);
}

void ModelSetup::prepare(ModelPackage package)
{
    if (ModelStore::isInstalled(package))
        host_->load(RecognizerConfig(package));
    else
        installer_->install(package);
    publishLoading();
}

void ModelSetup::loadPunctuation()
{
    std::weak_ptr<char> alive = alive_;
    const QString folder = PunctuationStore::directory();
    punctuationQueue_->async([this, alive, folder] {
        std::shared_ptr<Punctuator> punctuator;
        try {
            punctuator = std::make_shared<Punctuator>(folder, punctuationThreads, Punctuator::defaultLabelBias);
            punctuator->punctuate(warmUpSentence);
        } catch (const std::exception& error) {
            Log::info(QStringLiteral("punctuation model not loaded: ") + QString::fromUtf8(error.what()));
            return;
        }
        runOnMainThread([this, alive, punctuator] {
            if (alive.expired())
                return;
            punctuator_ = punctuator;
            model_.setPunctuationAvailable(true);
        });
    });
}

std::function<void()> ModelSetup::warmUpWork()
{
    if (dictating && dictating())
        return {};
    std::shared_ptr<Recognizer> recognizer = host_->recognizer();
    std::shared_ptr<Punctuator> punctuator = model_.punctuation() ? punctuator_ : nullptr;
    if (!recognizer && !punctuator)
        return {};
    SerialQueue* punctuationQueue = punctuationQueue_.get();
    return [recognizer, punctuator, punctuationQueue] {
        if (recognizer) {
            const std::vector<float> silence(Recognizer::sampleRate / 2, 0.0f);
            recognizer->transcribe(silence);
        }
        if (punctuator)
            punctuationQueue->sync([punctuator] {
                try {
                    punctuator->punctuate(warmUpSentence);
                } catch (const std::exception&) {
                    // A failure shows when a dictation is punctuated; warming up just skips it.
                }
            });
    };
}
