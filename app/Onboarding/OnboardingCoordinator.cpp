#include "OnboardingCoordinator.h"

#include "Core/Log.h"
#include "Core/Settings.h"

#include <QRegularExpression>

namespace {

const QString doneKey = QStringLiteral("onboardingDone");

}

OnboardingCoordinator::OnboardingCoordinator(Services services, Hooks hooks, QObject* parent)
    : QObject(parent), services_(services), hooks_(std::move(hooks))
{
}

OnboardingCoordinator::~OnboardingCoordinator()
{
    delete controller_;
    delete model_;
}

bool OnboardingCoordinator::isDone(const Settings& settings)
{
    return settings.value(doneKey).toBool();
}

bool OnboardingCoordinator::showsAtLaunch(Settings& settings, bool recordsShowUse)
{
    if (Environment::contains("QUILLMARSH_SHOW_ONBOARDING"))
        return true;
    if (isDone(settings))
        return false;
    if (settings.wasDamaged() && recordsShowUse) {
        settings.setValue(doneKey, true);
        Log::info(QStringLiteral("first-run window not shown: the settings file was damaged, and the records show "
                                 "Quillmarsh in use"));
        return false;
    }
    return true;
}

std::optional<OnboardingModel::Step> OnboardingCoordinator::requestedStep()
{
    const auto raw = Environment::value("QUILLMARSH_ONBOARDING_STEP");
    if (!raw)
        return std::nullopt;
    static const QRegularExpression plainInteger(QStringLiteral("^[+-]?[0-9]+$"));
    bool converted = false;
    const int number = raw->toInt(&converted);
    if (plainInteger.match(*raw).hasMatch() && converted) {
        if (const auto step = OnboardingModel::stepFromRaw(number))
            return step;
    }
    Log::info(QStringLiteral("onboarding step ignored: ") + *raw);
    return std::nullopt;
}

void OnboardingCoordinator::show(HotkeyMonitor::Key key, const Progress& progress)
{
    if (controller_) {
        bringToFront();
        return;
    }
    auto* model =
        new OnboardingModel(key, services_.keyboard, services_.permissions, services_.panels, services_.clock, this);
    if (const auto step = requestedStep())
        model->setStep(*step);
    model->setInstall(progress.install);
    if (progress.modelReady)
        model->setModelReady(true);
    model->setPunctuation(progress.punctuation);
    model->setInTray(progress.inTray);
    inTray_ = progress.inTray;
    model->onChooseKey = [this](HotkeyMonitor::Key chosen) {
        if (hooks_.setKey)
            hooks_.setKey(chosen);
    };
    model->onFinish = [this] { finish(); };

    auto* controller = new OnboardingWindowController(
        services_.makeWindow(QStringLiteral("Onboarding/OnboardingWindow.qml"),
                             {{QStringLiteral("onboarding"), QVariant::fromValue(model)}}),
        this);
    if (!controller->window()) {
        delete controller;
        delete model;
        return;
    }
    controller->onClose = [this] { forget(); };
    model_ = model;
    controller_ = controller;
    Log::info(QStringLiteral("onboarding shown"));
    controller->show();
}

void OnboardingCoordinator::finish()
{
    services_.settings.setValue(doneKey, true);
    Log::info(QStringLiteral("onboarding done"));
    if (hooks_.showMainWindow)
        hooks_.showMainWindow();
    if (controller_)
        controller_->close();
}

// Called while the window closes: the model and the window go once that is over.
void OnboardingCoordinator::forget()
{
    if (controller_)
        controller_->deleteLater();
    if (model_)
        model_->deleteLater();
    controller_ = nullptr;
    model_ = nullptr;
    if (!isDone(services_.settings) && !inTray_ && hooks_.quitUnlessAWindowIsOpen) {
        Log::info(QStringLiteral("first-run window closed before the end, without a tray"));
        hooks_.quitUnlessAWindowIsOpen();
    }
}

void OnboardingCoordinator::bringToFront()
{
    if (controller_)
        controller_->show();
}

void OnboardingCoordinator::keyChanged(HotkeyMonitor::Key key)
{
    if (model_)
        model_->setKey(key);
}

void OnboardingCoordinator::modelReadyChanged(bool ready)
{
    if (model_)
        model_->setModelReady(ready);
}

void OnboardingCoordinator::installChanged(const ModelInstaller::State& state)
{
    if (model_)
        model_->setInstall(state);
}

void OnboardingCoordinator::punctuationChanged(const PunctuationInstaller::State& state)
{
    if (model_)
        model_->setPunctuation(state);
}

void OnboardingCoordinator::dictationKeyDown()
{
    if (!model_ || model_->step() != OnboardingModel::Step::tryIt)
        return;
    model_->setPractice({});
    model_->setDictated({});
    bringToFront();
}

void OnboardingCoordinator::inserted(const QString& text)
{
    if (model_ && model_->step() == OnboardingModel::Step::tryIt)
        model_->setDictated(text);
}
