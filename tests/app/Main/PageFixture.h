#pragma once
// What the page tests run against: the real stores and settings in a temporary data folder, the
// page model over them, a window list the test sets, application entries it installs, and a
// clock it moves by hand. `reset()` starts everything afresh.

#include "Main/AppModel.h"
#include "ManualClock.h"

#include <QObject>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

class PageFixture : public QObject {
    Q_OBJECT
    Q_PROPERTY(AppModel* model READ model NOTIFY modelChanged)

public:
    explicit PageFixture(QObject* parent = nullptr);
    ~PageFixture() override;

    AppModel* model() const;

    Q_INVOKABLE void reset();
    // Fills the stores up to their caps with numbered entries ("phrase 1", "word 1", ...).
    Q_INVOKABLE void fillSnippets(int count);
    Q_INVOKABLE void fillWords(int count);
    // What the files hold, read by fresh stores: the snippets' triggers, the words in added order.
    Q_INVOKABLE QStringList storedTriggers() const;
    Q_INVOKABLE QStringList storedWords() const;
    // The style policy the settings file holds: {"categories": {...}, "apps": {...}}.
    Q_INVOKABLE QVariantMap storedPolicy() const;

    // [{id, pid}] as the window manager would list them.
    Q_INVOKABLE void setWindows(const QVariantList& windows);
    // A desktop entry in the user's application folder; read when the page first names an app.
    Q_INVOKABLE void installApp(const QString& desktopId, const QString& name);

    // The editor's saved mark then follows advance() instead of the real clock.
    Q_INVOKABLE void useManualClock(QObject* snippetEditor);
    Q_INVOKABLE void advance(int milliseconds);

signals:
    void modelChanged();

private:
    struct World;
    std::unique_ptr<World> world_;
    ManualClock clock_;
};
