#include "AppDelegate.h"

#include "AccessibleState.h"
#include "AppInfo.h"
#include "AppWindows.h"
#include "Clips/ClipVault.h"
#include "Cloud/CloudEngine.h"
#include "Cloud/SpeechRouter.h"
#include "Core/AppFolders.h"
#include "Core/Log.h"
#include "Core/MainThread.h"
#include "Core/SerialQueue.h"
#include "Core/Settings.h"
#include "DesktopPermissions.h"
#include "Dictation/DictationController.h"
#include "Dictation/DictationDesktop.h"
#include "Dictation/DictationFlow.h"
#include "Fonts.h"
#include "Formatting/FormatClient.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "IconExport.h"
#include "KeyboardOptions.h"
#include "LaunchArguments.h"
#include "Main/Styles/Applications.h"
#include "Models/ModelPackage.h"
#include "Onboarding/OnboardingCoordinator.h"
#include "Punctuation/PunctuationInstaller.h"
#include "Punctuation/PunctuationStore.h"
#include "QmlWindowFactory.h"
#include "Recognition/ModelHost.h"
#include "SettingsPanels.h"
#include "Setup/ModelSetup.h"
#include "Setup/ServerSettings.h"
#include "Snippets/SnippetStore.h"
#include "StatusMenu.h"
#include "TrayOrb.h"
#include "Vocabulary/VocabularyStore.h"
#include "X11/X11DesktopWindows.h"
#include "Xdg/XdgAppIdentity.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QQmlEngine>
#include <QTimeZone>

AppDelegate::AppDelegate(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings), network_(std::make_unique<QNetworkAccessManager>()),
      account_(std::make_unique<AccountService>(settings, *network_)),
      history_(std::make_unique<HistoryStore>(HistoryStore::defaultURL())),
      usage_(std::make_unique<UsageStats>(UsageStats::defaultURL(), QTimeZone::systemTimeZone())),
      snippets_(std::make_unique<SnippetStore>(SnippetStore::defaultURL())),
      vocabulary_(std::make_unique<VocabularyStore>(VocabularyStore::defaultURL())),
      vault_(std::make_unique<ClipVault>(ClipVault::defaultFolder())), actions_(std::make_unique<MainActions>()),
      desktopWindows_(std::make_unique<X11DesktopWindows>()), appIdentity_(std::make_unique<XdgAppIdentity>()),
      applications_(std::make_unique<Applications>(*desktopWindows_, *appIdentity_)),
      qmlEngine_(std::make_unique<QQmlEngine>()), windowFactory_(std::make_unique<QmlWindowFactory>(*qmlEngine_))
{
    AccessibleState::install();
    network_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    model_ = std::make_unique<AppModel>(AppModel::Stores{*history_, *usage_, *vault_, *vocabulary_, *snippets_},
                                        *actions_, settings_);
    model_->setApplications(applications_.get());
    models_ = std::make_unique<ModelSetup>(*model_);
    windows_ = std::make_unique<AppWindows>(
        AppWindows::Sources{*windowFactory_, *qmlEngine_, *model_, settings_, *history_, *vault_});
    // A removed history entry takes its recording with it.
    history_->onRemove = [vault = vault_.get()](const QUuid& id) { vault->remove(id); };
    qmlEngine_->addImportPath(QStringLiteral("qrc:/qt/qml"));
    // Control-Q in any window of ours (Qt.quit()) quits as the tray's Quit item does.
    connect(qmlEngine_.get(), &QQmlEngine::quit, QCoreApplication::instance(), &QCoreApplication::quit,
            Qt::QueuedConnection);
    connectServers();
    // Shared recordings go to the formatting server's host, whenever one is configured.
    model_->setClipServer(
        [self = QPointer<AppDelegate>(this)]() -> std::optional<QUrl> {
            if (!self || !self->formatClient_)
                return std::nullopt;
            return self->formatClient_->config().endpoint;
        },
        network_.get());
    model_->setAccount(account_->manager(), account_->api());
    account_->manager().onChange = [model = model_.get(), manager = &account_->manager()] {
        model->setAccountState(manager->state());
    };
    setAccountToken([manager = &account_->manager()] { return manager->accessToken(); });
    wireActions();
    wireOnboarding();
}

AppDelegate::~AppDelegate()
{
    // Every report of the last saves is heard while all that acts on it (the recordings, the
    // pages) is still here; what can't be saved in time is kept for the next start.
    finishSavesAtQuit({&history_->saves(), &usage_->saves(), &snippets_->saves(), &vocabulary_->saves()});
}

void AppDelegate::connectServers()
{
    std::optional<CloudConfig> cloud = CloudSettings::load(settings_);
    std::optional<FormatConfig> format = FormatSettings::load(settings_, cloud);
    // The account's token goes with each request; without one, the server token as the settings
    // hold it then, so one edited in the file while the application runs is used from then on.
    const auto tokenOr = [holder = accountToken_](TokenProvider configured) -> TokenProvider {
        return [holder, configured = std::move(configured)]() -> std::optional<QString> {
            if (auto token = *holder ? (*holder)() : std::nullopt)
                return token;
            return configured();
        };
    };
    const Settings* settings = &settings_;
    if (cloud) {
        cloud->token.reset();
        cloudEngine_ =
            std::make_shared<CloudEngine>(*cloud, tokenOr([settings] { return CloudSettings::token(*settings); }));
    }
    model_->setServerConfigured(cloud.has_value());
    if (format) {
        format->token.reset();
        formatClient_ = std::make_unique<FormatClient>(
            *format, *network_, tokenOr([settings] { return FormatSettings::token(*settings); }));
    }
    // Without a server there is only this computer.
    if (!cloud)
        model_->setEngineMode(SpeechRouter::rawValue(SpeechRouter::Mode::local));
}

void AppDelegate::setAccountToken(TokenProvider token)
{
    *accountToken_ = std::move(token);
}

void AppDelegate::start(const QStringList& arguments)
{
    AppFolders::keepPrivate();
    Fonts::registerFonts();
    if (const auto folder = Environment::value("QUILLMARSH_EXPORT_ICONS")) {
        IconExport::write(*folder);
        QApplication::quit();
        return;
    }
    // The menu is the delegate's own and goes before it: it may hold the delegate directly.
    StatusMenu::Actions menuActions;
    menuActions.openMain = [this] { windows_->showMain(MainSection::home); };
    menuActions.openSettings = [this] { windows_->showMain(MainSection::settings); };
    menuActions.retry = [this] { models_->retry(); };
    menuActions.canRetry = [this] { return models_->failed(); };
    statusMenu_ = std::make_unique<StatusMenu>(*model_, std::move(menuActions));
    account_->start();
    model_->pruneRecords(QDateTime::currentDateTimeUtc());
    vault_->removeLeftovers();
    Log::info(QStringLiteral("launch: ") + AppInfo::versionText());
    models_->start();
    startDictation();
    const LaunchArguments launch = LaunchArguments::read(arguments);
    openRequestedWindows(launch);
    if (launch.signInReturn)
        completeSignIn(*launch.signInReturn);
}

void AppDelegate::openRequestedWindows(const LaunchArguments& launch)
{
    if (OnboardingCoordinator::showsAtLaunch(settings_, recordsShowUse()))
        showOnboarding();
    else if (launch.opensMainWindowAtStart(statusMenu_->inTray()))
        windows_->showMain();
    if (Environment::contains("QUILLMARSH_SHOW_MAIN"))
        windows_->showMain();
    if (Environment::contains("QUILLMARSH_SHOW_ACCOUNT"))
        windows_->showMain(MainSection::account);
    if (Environment::contains("QUILLMARSH_SHOW_ACKNOWLEDGEMENTS"))
        windows_->showAcknowledgements();
    if (Environment::contains("QUILLMARSH_SHOW_SHARE"))
        windows_->showNewestShare();
}

bool AppDelegate::recordsShowUse() const
{
    return !history_->entries().isEmpty() || !usage_->days().isEmpty() || !snippets_->entries().isEmpty()
           || !vocabulary_->entries().isEmpty();
}

void AppDelegate::startDictation()
{
    dictationDesktop_ = std::make_unique<DictationDesktop>(model_->dictationKey());
    if (!dictationDesktop_->listening())
        Log::info(QStringLiteral("the dictation key needs an X11 session"));
    connect(model_.get(), &AppModel::dictationKeyChanged, this,
            [this] { dictationDesktop_->keys.setKey(model_->dictationKey()); });
    dictationController_ = std::make_unique<DictationController>([this]() -> std::shared_ptr<SpeechEngine> {
        if (!models_->host().recognizer() && !model_->serverConfigured())
            return nullptr;
        // The router lives as long as the delegate: hand it out without ownership.
        return std::shared_ptr<SpeechEngine>(std::shared_ptr<void>(), &speechRouter());
    });
    dictationFlow_ = std::make_unique<DictationFlow>(
        *dictationController_, *model_, dictationDesktop_->parts(*appIdentity_),
        DictationFlow::Services{[this] { return models_->punctuator(); }, [this] { return formatClient_.get(); },
                                models_->punctuationQueue()});
    models_->dictating = [this] { return dictationController_->phase() != DictationController::Phase::idle; };
    // On the first-run window's try-it step a dictation starts from an empty practice field and
    // is kept as the step's test dictation.
    OnboardingCoordinator* onboarding = onboarding_.get();
    dictationFlow_->onIdleKeyDown = [onboarding] { onboarding->dictationKeyDown(); };
    dictationFlow_->onInserted = [onboarding](const QString& text) { onboarding->inserted(text); };
    trayOrb_ =
        std::make_unique<TrayOrb>(dictationFlow_->pill(), [this](const QImage& image) { statusMenu_->setIcon(image); });
}

void AppDelegate::wireActions()
{
    const QPointer<AppDelegate> self(this);
    actions_->onSetKey = [self](const QString& keyRaw) {
        if (const auto key = HotkeyMonitor::fromRawValue(keyRaw); self && key)
            self->setKey(*key);
    };
    actions_->onSetModelPackage = [self](const QString& packageRaw) {
        return self && self->setModelPackage(packageRaw);
    };
    actions_->onSetEngineMode = [self](const QString& modeRaw) {
        const auto mode = SpeechRouter::mode(modeRaw);
        if (!self || !mode)
            return;
        self->speechRouter().setMode(*mode);
        self->settings_.setValue(QStringLiteral("engineMode"), modeRaw);
        self->model_->setEngineMode(modeRaw);
        Log::info(QStringLiteral("speech engine: ") + modeRaw);
    };
    actions_->onSetPunctuation = [self](bool on) {
        if (!self)
            return;
        self->settings_.setValue(QStringLiteral("punctuation"), on);
        Log::info(QStringLiteral("punctuation ") + (on ? QStringLiteral("on") : QStringLiteral("off")));
    };
    actions_->onShowOnboarding = [self] {
        if (self)
            self->showOnboarding();
    };
    actions_->onShowAcknowledgements = [self] {
        if (self)
            self->windows_->showAcknowledgements();
    };
    actions_->onRetryModel = [self] {
        if (self)
            self->models_->retry();
    };
    actions_->onShareClip = [self](const QString& entryID) {
        if (self)
            self->windows_->showShare(QUuid::fromString(entryID));
    };
}

void AppDelegate::wireOnboarding()
{
    const QPointer<AppDelegate> self(this);
    const auto makeWindow = [self](const QString& file, const QVariantMap& properties) {
        return self ? self->windowFactory_->make(file, properties) : nullptr;
    };
    const auto setKey = [self](HotkeyMonitor::Key key) {
        if (self)
            self->setKey(key);
    };
    // The end of the first run leaves the keyboard on the page it opens.
    const auto showHome = [self] {
        if (!self)
            return;
        self->windows_->showMain(MainSection::home);
        self->windows_->focusMainPage();
    };
    const auto quitUnlessAWindowIsOpen = [self] {
        if (self && !self->windows_->main())
            QCoreApplication::quit();
    };
    onboarding_ = std::make_unique<OnboardingCoordinator>(
        OnboardingCoordinator::Services{makeWindow, settings_, KeyboardOptions::system(), DesktopPermissions::system(),
                                        SettingsPanels::system(), Clock::system()},
        OnboardingCoordinator::Hooks{setKey, showHome, quitUnlessAWindowIsOpen});
    OnboardingCoordinator* onboarding = onboarding_.get();
    models_->onHostChange = [onboarding](const ModelHost::State& state) {
        onboarding->modelReadyChanged(state.kind == ModelHost::State::Kind::ready);
    };
    models_->onInstallChange = [onboarding](const ModelInstaller::State& state) { onboarding->installChanged(state); };
    models_->onPunctuationChange = [onboarding](const PunctuationInstaller::State& state) {
        onboarding->punctuationChanged(state);
    };
}

bool AppDelegate::setModelPackage(const QString& packageRaw)
{
    const auto package = ModelPackage::fromRawValue(packageRaw);
    if (!package)
        return false;
    if (packageRaw == model_->modelPackage())
        return true;
    if (models_->busy()) {
        Log::info(QStringLiteral("model switch ignored: busy"));
        return false;
    }
    settings_.setValue(QStringLiteral("modelPackage"), packageRaw);
    Log::info(QStringLiteral("switching model to ") + packageRaw);
    models_->prepare(*package);
    return true;
}

void AppDelegate::showOnboarding()
{
    OnboardingCoordinator::Progress progress;
    progress.install = models_->installer().state();
    progress.modelReady = models_->host().state().kind == ModelHost::State::Kind::ready;
    // An installed punctuation model counts as installed unless a download is under way.
    const auto& punctuation = models_->punctuationInstaller().state();
    const bool downloading = std::holds_alternative<PunctuationInstaller::Installing>(punctuation);
    progress.punctuation =
        PunctuationStore::isInstalled() && !downloading ? PunctuationInstaller::Installed{} : punctuation;
    progress.inTray = statusMenu_ && statusMenu_->inTray();
    onboarding_->show(model_->dictationKey(), progress);
}

void AppDelegate::setKey(HotkeyMonitor::Key key)
{
    settings_.setValue(QStringLiteral("dictationKey"), HotkeyMonitor::rawValue(key));
    model_->setDictationKey(key);
    onboarding_->keyChanged(key);
    Log::info(QStringLiteral("dictation key: ") + HotkeyMonitor::rawValue(key));
}

void AppDelegate::handleArguments(const QStringList& arguments)
{
    const LaunchArguments launch = LaunchArguments::read(arguments);
    if (launch.signInReturn)
        completeSignIn(*launch.signInReturn);
    else if (launch.asksForMainWindowLater())
        windows_->showMain();
}

void AppDelegate::completeSignIn(const QUrl& callback)
{
    const QPointer<AppDelegate> self(this);
    account_->completeSignIn(callback, [self](std::optional<QString> failure) {
        if (!self)
            return;
        self->model_->setSignInError(failure.value_or(QString()));
        self->windows_->showMain(MainSection::account);
    });
}

SpeechRouter& AppDelegate::speechRouter()
{
    if (!speechRouter_) {
        // Without a server the mode is local, else the saved one.
        const auto mode = SpeechRouter::mode(model_->engineMode()).value_or(SpeechRouter::Mode::automatic);
        ModelHost* host = &models_->host();
        speechRouter_ = std::make_unique<SpeechRouter>(
            mode, FailoverStream::Options{}, Clock::system(),
            [host]() -> std::shared_ptr<SpeechEngine> { return host->recognizer(); },
            [cloud = cloudEngine_]() -> std::shared_ptr<SpeechEngine> { return cloud; });
        // A refused access token is renewed; the refusal may come from any thread.
        speechRouter_->setOnRefusal([self = QPointer<AppDelegate>(this)](const QString& code) {
            runOnMainThread([self, code] {
                if (self)
                    self->account_->handleRefusal(code);
            });
        });
    }
    return *speechRouter_;
}

QMenu* AppDelegate::statusMenu() const
{
    return statusMenu_ ? &statusMenu_->menu() : nullptr;
}
