#pragma once
// The composition root: builds and owns, for the life of the process, the engine objects (stores,
// models, the punctuation queue, the server engine and formatting client), the page model and its
// actions, the tray item and the windows. `start()` runs the start-up order.
//
// Its accessors are what the demonstration, the picture renderer and the tests reach: `model()`
// (and through it the stores and the actions), `models()` (host, installers, punctuator and its
// queue), `speechRouter()`, `windows()`, `onboarding()`, `account()`, the QML engine and the tray's
// menu. A hand-over from a second start (a sign-in
// callback URL) arrives in `handleArguments()`. A change of dictation key, engine mode or
// punctuation is stored by the actions and announced by the page model's signals
// (dictationKeyChanged, ...), which the key monitor and the pill follow.

#include "Account/AccountService.h"
#include "Core/TokenProvider.h"
#include "HotkeyMonitor.h"
#include "Main/AppModel.h"
#include "Main/MainActions.h"
#include "Main/MainSection.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

#include <memory>

class AppIdentity;
class AppWindows;
class Applications;
class CloudEngine;
class ClipVault;
class DesktopWindows;
class DictationController;
class DictationDesktop;
class DictationFlow;
class FormatClient;
class TrayOrb;
class HistoryStore;
struct LaunchArguments;
class OnboardingCoordinator;
class ModelSetup;
class QmlWindowFactory;
class QMenu;
class QNetworkAccessManager;
class QQmlEngine;
class Settings;
class SnippetStore;
class SpeechRouter;
class StatusMenu;
class UsageStats;
class VocabularyStore;

class AppDelegate : public QObject {
    Q_OBJECT

public:
    // Builds every object and loads the stores from their files (the environment may move them)
    // and the server settings; starts nothing: no window, no timer, no model load.
    explicit AppDelegate(Settings& settings, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The start-up order, once, from the event loop's first turn: fonts, the brand images when
    // "QUILLMARSH_EXPORT_ICONS" asks (and quit), the tray item, pruning, the launch log line, the
    // models, then the windows the user or the environment asks for. The program's arguments
    // (its own name first) are read as a later start's would be: the browser's return from a
    // sign-in, when it is what started the application, finishes that sign-in.
    void start(const QStringList& arguments = QCoreApplication::arguments());

    // Opens the first-run window, or brings the open one to the front.
    void showOnboarding();

    // The arguments of a later start of the program, handed over by the single-instance guard
    // (the program's own name first). A later start without arguments asks for the main window;
    // one with the browser's return from a sign-in finishes that sign-in.
    void handleArguments(const QStringList& arguments);

    // The page model, which hands out the stores and the actions.
    AppModel& model() const { return *model_; }
    // The speech model host, the installers, the punctuator and its queue.
    ModelSetup& models() const { return *models_; }
    QQmlEngine& qmlEngine() const { return *qmlEngine_; }
    // The main window, the share window and the acknowledgements.
    AppWindows& windows() const { return *windows_; }
    // The first-run window's owner; the dictation flow reports the try-it step's dictations here.
    OnboardingCoordinator& onboarding() const { return *onboarding_; }
    AccountService& account() const { return *account_; }
    // Built on first use.
    SpeechRouter& speechRouter();
    // The tray item's menu, once started.
    QMenu* statusMenu() const;

private:
    // The dictation key change: stores the setting and puts it into effect everywhere.
    void setKey(HotkeyMonitor::Key key);
    // Finishes a sign-in from the browser's return, then shows the account page with the outcome.
    void completeSignIn(const QUrl& callback);
    // The signed-in account's access token, asked for on every request to the servers; used
    // when no server token is configured.
    void setAccountToken(TokenProvider token);
    void connectServers();
    void wireActions();
    // The model host's and the installers' news also reach the open first-run window.
    void wireOnboarding();
    bool setModelPackage(const QString& packageRaw);
    void openRequestedWindows(const LaunchArguments& launch);
    // Whether the user's records show Quillmarsh was used before.
    bool recordsShowUse() const;
    void startDictation();

    Settings& settings_;
    std::shared_ptr<TokenProvider> accountToken_ = std::make_shared<TokenProvider>();
    std::unique_ptr<QNetworkAccessManager> network_;
    std::unique_ptr<AccountService> account_;
    std::unique_ptr<HistoryStore> history_;
    std::unique_ptr<UsageStats> usage_;
    std::unique_ptr<SnippetStore> snippets_;
    std::unique_ptr<VocabularyStore> vocabulary_;
    std::unique_ptr<ClipVault> vault_;
    std::unique_ptr<MainActions> actions_;
    std::unique_ptr<DesktopWindows> desktopWindows_;
    std::unique_ptr<AppIdentity> appIdentity_;
    std::unique_ptr<Applications> applications_;
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<ModelSetup> models_;
    std::shared_ptr<CloudEngine> cloudEngine_;
    std::unique_ptr<FormatClient> formatClient_;
    std::unique_ptr<SpeechRouter> speechRouter_;
    std::unique_ptr<QQmlEngine> qmlEngine_;
    std::unique_ptr<QmlWindowFactory> windowFactory_;
    std::unique_ptr<StatusMenu> statusMenu_;
    std::unique_ptr<AppWindows> windows_;
    std::unique_ptr<OnboardingCoordinator> onboarding_;
    std::unique_ptr<DictationDesktop> dictationDesktop_;
    std::unique_ptr<DictationController> dictationController_;
    std::unique_ptr<DictationFlow> dictationFlow_;
    std::unique_ptr<TrayOrb> trayOrb_;
};
