#pragma once
// An application delegate over empty records in a temporary folder: every file it touches (the
// stores, the settings, the log) stays there. One per test program, made before the delegate.

#include <QTemporaryDir>

#include <memory>

class AppDelegate;
class Settings;

class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    const QTemporaryDir& folder() const { return folder_; }
    Settings& settings() const { return *settings_; }
    AppDelegate& delegate() const { return *delegate_; }

private:
    QTemporaryDir folder_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<AppDelegate> delegate_;
};
