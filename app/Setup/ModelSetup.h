#pragma once
// Gets the speech and punctuation models ready and keeps them warm: installs a missing package,
// loads it, loads the punctuation model on its queue, and publishes each step into the page
// model (status line, loading, ready, punctuation available). "Try again" and a change of package
// come back here.

#include "Models/ModelInstaller.h"
#include "Models/ModelPackage.h"
#include "Punctuation/PunctuationInstaller.h"
#include "Recognition/ModelHost.h"

#include <QString>

#include <functional>
#include <memory>

class AppModel;
class KeepWarm;
class Punctuator;
class SerialQueue;
class Settings;

class ModelSetup {
public:
    // Builds the installers and the host; starts nothing.
    explicit ModelSetup(AppModel& model);
    ~ModelSetup();
    ModelSetup(const ModelSetup&) = delete;
    ModelSetup& operator=(const ModelSetup&) = delete;

    // Installs or loads the speech model of the chosen package ("QUILLMARSH_MODEL_DIR" names a
    // folder to load as it is) and the punctuation model, then keeps both warm every 30 s.
    void start();
    // After a failure: installs or loads the chosen package again.
    void retry();
    // True while a model is being installed or loaded: a switch must wait.
    bool busy() const;
    // True after the install or the load of the speech model failed: "Try again" is offered.
    bool failed() const;
    // Installs (when needed) and loads another package.
    void prepare(ModelPackage package);

    ModelHost& host() const { return *host_; }
    ModelInstaller& installer() const { return *installer_; }
    PunctuationInstaller& punctuationInstaller() const { return *punctuationInstaller_; }
    // Punctuation runs here, one text at a time.
    SerialQueue& punctuationQueue() const { return *punctuationQueue_; }
    // The loaded punctuation model, or nothing while there is none. Use it on punctuationQueue().
    std::shared_ptr<Punctuator> punctuator() const { return punctuator_; }

    // Set by the dictation flow: true while a dictation runs, when the keep-warm job stands back.
    std::function<bool()> dictating;
    // For the first-run window: every state of the model host, of the speech-model installer and
    // of the punctuation model (installed when found at start, else its download's states).
    std::function<void(const ModelHost::State&)> onHostChange;
    std::function<void(const ModelInstaller::State&)> onInstallChange;
    std::function<void(const PunctuationInstaller::State&)> onPunctuationChange;

private:
    void watchInstallers();
    void publishLoading();
    void loadPunctuation();
    std::function<void()> warmUpWork();

    AppModel& model_;
    std::unique_ptr<ModelHost> host_;
    std::unique_ptr<ModelInstaller> installer_;
    std::unique_ptr<PunctuationInstaller> punctuationInstaller_;
    std::unique_ptr<SerialQueue> punctuationQueue_;
    std::unique_ptr<SerialQueue> warmQueue_;
    std::unique_ptr<KeepWarm> keepWarm_;
    std::shared_ptr<Punctuator> punctuator_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();  // outlived by no queued delivery
};
