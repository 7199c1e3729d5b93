#pragma once
// The application's side of the first-run window: opens it (once at a time), primes and keeps its
// model current from the installers, the key setting and the dictations made on the try-it step,
// and finishes it into the main window. The application delegate forwards its hooks here.

#include "HotkeyMonitor.h"
#include "Models/ModelInstaller.h"
#include "OnboardingModel.h"
#include "OnboardingWindowController.h"
#include "Punctuation/PunctuationInstaller.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <functional>
#include <optional>

class Clock;
class DesktopPermissions;
class KeyboardOptions;
class QQuickWindow;
class Settings;
class SettingsPanels;

class OnboardingCoordinator : public QObject {
    Q_OBJECT

public:
    struct Services {
        // Builds a window of the application's QML module with its initial properties.
        std::function<QQuickWindow*(const QString& file, const QVariantMap& properties)> makeWindow;
        Settings& settings;
        KeyboardOptions& keyboard;
        DesktopPermissions& permissions;
        SettingsPanels& panels;
        Clock& clock;
    };
    struct Hooks {
        // The application's key change: stores the setting, puts it into effect and calls keyChanged.
        std::function<void(HotkeyMonitor::Key)> setKey;
        // Opens the main window on its home page.
        std::function<void()> showMainWindow;
        // Quits unless another window of ours is open: called when the window closes before the
        // first run finished on a desktop without a tray, where nothing else would tell the user
        // that Quillmarsh runs or how to quit it. The first run opens again at the next start.
        std::function<void()> quitUnlessAWindowIsOpen;
    };
    // What the installers say when the window opens, and whether the tray shows our mark.
    struct Progress {
        ModelInstaller::State install = ModelInstaller::Idle{};
        bool modelReady = false;
        PunctuationInstaller::State punctuation = PunctuationInstaller::Idle{};
        bool inTray = true;
    };

    OnboardingCoordinator(Services services, Hooks hooks, QObject* parent = nullptr);
    ~OnboardingCoordinator() override;

    // Whether the user finished the first-run window once.
    static bool isDone(const Settings& settings);
    // Whether launching shows the window: onboarding not yet done, or QUILLMARSH_SHOW_ONBOARDING
    // set. When a damaged settings file lost the mark but the records show Quillmarsh in use, it
    // counts as done, and the mark is written again.
    static bool showsAtLaunch(Settings& settings, bool recordsShowUse);
    // The step QUILLMARSH_ONBOARDING_STEP asks for: an optional sign and decimal digits naming a
    // step. Anything else is logged and gives nothing.
    static std::optional<OnboardingModel::Step> requestedStep();

    // Brings the open window to the front, or builds a fresh model and window and shows them.
    void show(HotkeyMonitor::Key key, const Progress& progress);
    bool isOpen() const { return model_ != nullptr; }
    OnboardingModel* model() const { return model_; }
    OnboardingWindowController* controller() const { return controller_; }

    // The application's news, written into the open model (nothing when the window is closed).
    void keyChanged(HotkeyMonitor::Key key);
    void modelReadyChanged(bool ready);
    void installChanged(const ModelInstaller::State& state);
    void punctuationChanged(const PunctuationInstaller::State& state);
    // The dictation key went down while no dictation runs: on the try-it step the practice field
    // and the last dictation are emptied and the window comes to the front.
    void dictationKeyDown();
    // A dictation's text was inserted: on the try-it step it becomes the last dictation.
    void inserted(const QString& text);

private:
    void finish();
    void forget();
    void bringToFront();

    Services services_;
    Hooks hooks_;
    QPointer<OnboardingModel> model_;
    QPointer<OnboardingWindowController> controller_;
    bool inTray_ = true;
};
