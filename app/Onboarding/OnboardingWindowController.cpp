#include "OnboardingWindowController.h"

#include "Core/Log.h"
#include "OnboardingModel.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>

OnboardingWindowController::OnboardingWindowController(OnboardingModel& model, QQmlEngine& engine, QObject* parent)
    : QObject(parent)
{
    QQmlComponent component(&engine,
                            QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/Onboarding/OnboardingWindow.qml")));
    QObject* built =
        component.isReady()
            ? component.createWithInitialProperties({{QStringLiteral("onboarding"), QVariant::fromValue(&model)}})
            : nullptr;
    window_.reset(qobject_cast<QQuickWindow*>(built));
    if (!window_) {
        // Only a broken build gets here: the window's QML ships inside the program.
        Log::info(QStringLiteral("onboarding window failed: ") + component.errorString());
        delete built;
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window_->setPosition(area.center() - QPoint(window_->width() / 2, window_->height() / 2));
    }
    window_->installEventFilter(this);
}

OnboardingWindowController::~OnboardingWindowController() = default;

bool OnboardingWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_.get() && event->type() == QEvent::Close && onClose)
        onClose();
    return false;
}

void OnboardingWindowController::show()
{
    if (!window_)
        return;
    window_->show();
    window_->raise();
    window_->requestActivate();
}

void OnboardingWindowController::close()
{
    if (window_)
        window_->close();
}
