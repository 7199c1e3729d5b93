#pragma once
// An application delegate over records in a temporary folder: every file it touches (the stores,
// the settings, the log, the autostart entry) stays there, and models come from an empty local
// folder, so nothing reaches the network. `prepare` runs before the delegate is built, to seed
// records and settings.

#include <QTemporaryDir>

#include <functional>
#include <memory>

class AppDelegate;
class Settings;

class AppFixture {
public:
    explicit AppFixture(const std::function<void(Settings&)>& prepare = {});
    ~AppFixture();

    const QTemporaryDir& folder() const { return folder_; }
    Settings& settings() const { return *settings_; }
    AppDelegate& delegate() const { return *delegate_; }

private:
    QTemporaryDir folder_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<AppDelegate> delegate_;
};
