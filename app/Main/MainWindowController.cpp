#include "Main/MainWindowController.h"

#include "Core/Settings.h"
#include "Main/AppModel.h"
#include "Main/WindowFrame.h"
#include "Shell/QmlWindowFactory.h"
#include "Shell/WindowClosing.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

MainWindowController::MainWindowController(const QmlWindowFactory& factory, AppModel& model, Settings& settings)
    : model_(model), settings_(settings)
{
    window_.reset(
        factory.make(QStringLiteral("Main/MainWindow.qml"), {{QStringLiteral("model"), QVariant::fromValue(&model_)}}));
    if (!window_)
        return;
    window_->setTitle(QStringLiteral("Quillmarsh"));
    window_->setMinimumSize(QSize(WindowFrame::minimumWidth, WindowFrame::minimumHeight));
    placeWindow();
    connect(window_.get(), &QWindow::xChanged, this, &MainWindowController::saveFrame);
    connect(window_.get(), &QWindow::yChanged, this, &MainWindowController::saveFrame);
    connect(window_.get(), &QWindow::widthChanged, this, &MainWindowController::saveFrame);
    connect(window_.get(), &QWindow::heightChanged, this, &MainWindowController::saveFrame);
    // The autostart entry may have changed while another window was in front.
    connect(window_.get(), &QWindow::activeChanged, this, [this] {
        if (window_->isActive())
            model_.rereadOpensAtLogin();
    });
    WindowClosing::whenClosed(*window_, *this, [this] {
        if (onClose)
            onClose();
    });
}

MainWindowController::~MainWindowController() = default;

void MainWindowController::show()
{
    if (!window_)
        return;
    window_->show();
    window_->raise();
    window_->requestActivate();
}

void MainWindowController::focusPage()
{
    if (window_)
        QMetaObject::invokeMethod(window_.get(), "focusPage");
}

void MainWindowController::placeWindow()
{
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());

    const QRect saved = settings_.value(frameKey).toRect();
    if (saved.isValid()) {
        window_->setGeometry(WindowFrame::fitted(saved, screens));
        return;
    }
    const auto available = screens.isEmpty() ? std::nullopt : std::optional<int>(screens.first().height());
    QRect frame(0, 0, WindowFrame::width, WindowFrame::contentHeight(available));
    if (!screens.isEmpty())
        frame.moveCenter(screens.first().center());
    window_->setGeometry(frame);
}

void MainWindowController::saveFrame()
{
    if (window_->isVisible())
        settings_.setValue(frameKey, window_->geometry());
}
