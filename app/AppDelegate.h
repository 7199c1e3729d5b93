#pragma once
// The composition root: builds and owns, for the life of the process, the engine objects (stores,
// model host and installers, the punctuation queue, the formatting client, the server engine),
// the page model and its actions, and the windows. `start()` runs the start-up order.
//
// Plugging in: a part of the application that needs the engine takes it from the accessors below
// (e.g. the dictation flow is built in `start()` from `modelHost()`, `speechRouter()`,
// `punctuationQueue()`, `formatClient()`, the stores, `vault()` and `model()`); a window is
// built with `makeWindow()`; a hand-over from a second start arrives in `handleArguments()`.

#include "HotkeyMonitor.h"
#include "Main/AppModel.h"
#include "Main/MainActions.h"
#include "Main/MainSection.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUuid>
#include <QVariantMap>

#include <memory>
#include <optional>

class ClipVault;
class FormatClient;
class HistoryStore;
class MainWindowController;
class ModelHost;
class OnboardingCoordinator;
class ModelInstaller;
class PunctuationInstaller;
class QNetworkAccessManager;
class QQmlEngine;
class QQuickWindow;
class SerialQueue;
class Settings;
class SnippetStore;
class SpeechRouter;
class UsageStats;
class VocabularyStore;

class AppDelegate : public QObject {
    Q_OBJECT

public:
    // Builds every object and loads the stores from their files (the environment may move them);
    // starts nothing: no window, no timer, no model load.
    explicit AppDelegate(Settings& settings, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The start-up order, once, from the event loop's first turn.
    void start();

    // Opens (building it when needed) the main window, first switching it to the section when one
    // is given, and brings it to the front.
    void showMain(std::optional<MainSection> section = std::nullopt);
    // Opens the window that shares the recording of one history entry.
    void showShare(const QUuid& entryID);
    // Opens the first-run window, or brings the open one to the front.
    void showOnboarding();
    // The dictation key change: stores the setting and puts it into effect everywhere.
    void setKey(HotkeyMonitor::Key key);
    void showAcknowledgements();

    // The arguments of a later start of the program, handed over by the single-instance guard
    // (the program's own name first). A later start without arguments asks for the main window.
    void handleArguments(const QStringList& arguments);

    // A window of the application from a QML file of this module ("Main/MainWindow.qml"), with
    // its initial properties; nothing (and a log line) when the file can't be built. The caller
    // owns it.
    QQuickWindow* makeWindow(const QString& file, const QVariantMap& properties = {});

    Settings& settings() const { return settings_; }
    AppModel& model() const { return *model_; }
    MainActions& actions() const { return *actions_; }
    HistoryStore& history() const { return *history_; }
    UsageStats& usage() const { return *usage_; }
    SnippetStore& snippets() const { return *snippets_; }
    VocabularyStore& vocabulary() const { return *vocabulary_; }
    ClipVault& vault() const { return *vault_; }
    ModelHost& modelHost() const { return *modelHost_; }
    ModelInstaller& modelInstaller() const { return *modelInstaller_; }
    PunctuationInstaller& punctuationInstaller() const { return *punctuationInstaller_; }
    // Punctuation runs here, one text at a time.
    SerialQueue& punctuationQueue() const { return *punctuationQueue_; }
    QNetworkAccessManager& network() const { return *network_; }
    QQmlEngine& qmlEngine() const { return *qmlEngine_; }
    // The first-run window's owner; the dictation flow reports the try-it step's dictations here.
    OnboardingCoordinator& onboarding() const { return *onboarding_; }
    // Built on first use.
    SpeechRouter& speechRouter();
    // Present while a formatting server is configured.
    FormatClient* formatClient() const { return formatClient_.get(); }
    // The open main window, or nothing.
    QQuickWindow* mainWindow() const;

private:
    void wireActions();
    // The model host's and the installers' news also reach the open first-run window.
    void wireOnboarding();

    Settings& settings_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::unique_ptr<HistoryStore> history_;
    std::unique_ptr<UsageStats> usage_;
    std::unique_ptr<SnippetStore> snippets_;
    std::unique_ptr<VocabularyStore> vocabulary_;
    std::unique_ptr<ClipVault> vault_;
    std::unique_ptr<ModelHost> modelHost_;
    std::unique_ptr<ModelInstaller> modelInstaller_;
    std::unique_ptr<PunctuationInstaller> punctuationInstaller_;
    std::unique_ptr<SerialQueue> punctuationQueue_;
    std::unique_ptr<FormatClient> formatClient_;
    std::unique_ptr<SpeechRouter> speechRouter_;
    std::unique_ptr<MainActions> actions_;
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<QQmlEngine> qmlEngine_;
    std::unique_ptr<MainWindowController> mainWindow_;
    std::unique_ptr<OnboardingCoordinator> onboarding_;
};
