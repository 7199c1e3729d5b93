#include "AppDelegate.h"

#include "Clips/ClipVault.h"
#include "Cloud/SpeechRouter.h"
#include "Core/Log.h"
#include "Core/SerialQueue.h"
#include "Core/Settings.h"
#include "DesktopPermissions.h"
#include "Fonts.h"
#include "Formatting/FormatClient.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Main/MainWindowController.h"
#include "ModelHost.h"
#include "Models/HTTPSModelSource.h"
#include "Models/ModelDownload.h"
#include "Models/ModelFamily.h"
#include "Models/ModelInstaller.h"
#include "Onboarding/OnboardingCoordinator.h"
#include "Punctuation/PunctuationInstaller.h"
#include "Punctuation/PunctuationStore.h"
#include "SettingsPanels.h"
#include "Snippets/SnippetStore.h"
#include "VocabularyStore.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTimeZone>

AppDelegate::AppDelegate(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings), network_(std::make_unique<QNetworkAccessManager>()),
      history_(std::make_unique<HistoryStore>(HistoryStore::defaultURL())),
      usage_(std::make_unique<UsageStats>(UsageStats::defaultURL(), QTimeZone::systemTimeZone())),
      snippets_(std::make_unique<SnippetStore>(SnippetStore::defaultURL())),
      vocabulary_(std::make_unique<VocabularyStore>(VocabularyStore::defaultURL())),
      vault_(std::make_unique<ClipVault>(ClipVault::defaultFolder())), modelHost_(std::make_unique<ModelHost>()),
      modelInstaller_(std::make_unique<ModelInstaller>(ModelDownloads::source(ModelFamily::current()))),
      punctuationInstaller_(std::make_unique<PunctuationInstaller>(
          std::make_shared<HTTPSModelSource>(ModelDownloads::base(), ModelFamily::current()),
          PunctuationStore::directory())),
      punctuationQueue_(std::make_unique<SerialQueue>("quillmarsh.punctuation")),
      actions_(std::make_unique<MainActions>()), qmlEngine_(std::make_unique<QQmlEngine>())
{
    network_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    model_ = std::make_unique<AppModel>(AppModel::Stores{*history_, *usage_, *vault_, *vocabulary_, *snippets_},
                                        *actions_, settings_);
    // A removed history entry takes its recording with it.
    history_->onRemove = [vault = vault_.get()](const QUuid& id) { vault->remove(id); };
    qmlEngine_->addImportPath(QStringLiteral("qrc:/qt/qml"));
    wireActions();
    wireOnboarding();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::start()
{
    Fonts::registerFonts();
    Log::info(QStringLiteral("launch"));
    if (OnboardingCoordinator::isDone(settings_))
        showMain();
    if (OnboardingCoordinator::showsAtLaunch(settings_))
        showOnboarding();
}

void AppDelegate::wireActions()
{
    const QPointer<AppDelegate> self(this);
    actions_->onSetKey = [self](const QString& keyRaw) {
        if (const auto key = HotkeyMonitor::fromRawValue(keyRaw); self && key)
            self->setKey(*key);
    };
    actions_->onShowOnboarding = [self] {
        if (self)
            self->showOnboarding();
    };
    actions_->onShowAcknowledgements = [self] {
        if (self)
            self->showAcknowledgements();
    };
    actions_->onShareClip = [self](const QString& entryID) {
        if (self)
            self->showShare(QUuid::fromString(entryID));
    };
}

void AppDelegate::wireOnboarding()
{
    const QPointer<AppDelegate> self(this);
    onboarding_ = std::make_unique<OnboardingCoordinator>(
        OnboardingCoordinator::Services{[self](const QString& file, const QVariantMap& properties) {
                                            return self ? self->makeWindow(file, properties) : nullptr;
                                        },
                                        settings_, DesktopPermissions::system(), SettingsPanels::system(),
                                        Clock::system()},
        OnboardingCoordinator::Hooks{[self](HotkeyMonitor::Key key) {
                                         if (self)
                                             self->setKey(key);
                                     },
                                     [self] {
                                         if (self)
                                             self->showMain(MainSection::home);
                                     }});
    OnboardingCoordinator* onboarding = onboarding_.get();
    modelHost_->onChange = [onboarding](const ModelHost::State& state) {
        onboarding->modelReadyChanged(state.kind == ModelHost::State::Kind::ready);
    };
    modelInstaller_->onChange = [onboarding](const ModelInstaller::State& state) { onboarding->installChanged(state); };
    punctuationInstaller_->onChange = [onboarding](const PunctuationInstaller::State& state) {
        onboarding->punctuationChanged(state);
    };
}

void AppDelegate::showMain(std::optional<MainSection> section)
{
    if (section)
        model_->setSection(*section);
    if (!mainWindow_) {
        mainWindow_ = std::make_unique<MainWindowController>(*this);
        const QPointer<AppDelegate> self(this);
        mainWindow_->onClose = [self] {
            // The window is closing inside its own signal: let it finish before it goes.
            if (self && self->mainWindow_)
                self->mainWindow_.release()->deleteLater();
        };
    }
    mainWindow_->show();
}

void AppDelegate::showShare(const QUuid& entryID)
{
    Log::info(QStringLiteral("share window not available: ") + entryID.toString(QUuid::WithoutBraces));
}

void AppDelegate::showOnboarding()
{
    OnboardingCoordinator::Progress progress;
    progress.install = modelInstaller_->state();
    progress.modelReady = modelHost_->state().kind == ModelHost::State::Kind::ready;
    // An installed punctuation model counts as installed unless a download is under way.
    const auto& punctuation = punctuationInstaller_->state();
    const bool downloading = std::holds_alternative<PunctuationInstaller::Installing>(punctuation);
    progress.punctuation =
        PunctuationStore::isInstalled() && !downloading ? PunctuationInstaller::Installed{} : punctuation;
    onboarding_->show(model_->dictationKey(), progress);
}

void AppDelegate::setKey(HotkeyMonitor::Key key)
{
    settings_.setValue(QStringLiteral("dictationKey"), HotkeyMonitor::rawValue(key));
    model_->setDictationKey(key);
    onboarding_->keyChanged(key);
}

void AppDelegate::showAcknowledgements()
{
    Log::info(QStringLiteral("acknowledgements window not available"));
}

void AppDelegate::handleArguments(const QStringList& arguments)
{
    Q_UNUSED(arguments);
    showMain();
}

QQuickWindow* AppDelegate::makeWindow(const QString& file, const QVariantMap& properties)
{
    QQmlComponent component(qmlEngine_.get(), QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/") + file));
    QObject* object = component.createWithInitialProperties(properties);
    auto* window = qobject_cast<QQuickWindow*>(object);
    if (!window) {
        Log::info(QStringLiteral("window not built: ") + file + QStringLiteral(": ")
                  + component.errorString().trimmed());
        delete object;
        return nullptr;
    }
    return window;
}

SpeechRouter& AppDelegate::speechRouter()
{
    if (!speechRouter_) {
        const auto mode = SpeechRouter::mode(model_->engineMode()).value_or(SpeechRouter::Mode::automatic);
        ModelHost* host = modelHost_.get();
        speechRouter_ = std::make_unique<SpeechRouter>(
            mode, FailoverStream::Options{}, Clock::system(),
            [host]() -> std::shared_ptr<SpeechEngine> { return host->recognizer(); },
            []() -> std::shared_ptr<SpeechEngine> { return nullptr; });
    }
    return *speechRouter_;
}

QQuickWindow* AppDelegate::mainWindow() const
{
    return mainWindow_ ? mainWindow_->window() : nullptr;
}
