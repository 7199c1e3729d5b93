#include "Main/Share/ShareClipWindowController.h"

#include "Core/Log.h"
#include "Main/AppModel.h"
#include "Main/Share/ShareClipSession.h"
#include "Main/WindowFrame.h"
#include "Shell/WindowClosing.h"

#include <QCursor>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
constexpr int windowWidth = 600;
constexpr int minimumHeight = 420;

QScreen* screenUnderPointer()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}
}

ShareClipWindowController::ShareClipWindowController(const HistoryEntry& entry, AppModel& model, QQmlEngine& engine,
                                                     QObject* parent)
    : QObject(parent), window_(std::make_unique<QQuickView>(&engine, nullptr)),
      session_(new ShareClipSession(entry, model, this))
{
    window_->setTitle(QStringLiteral("Share this clip"));
    window_->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window_->setColor(QColor(252, 252, 251));
    window_->setResizeMode(QQuickView::SizeRootObjectToView);
    window_->setInitialProperties({{QStringLiteral("session"), QVariant::fromValue(session_)}});
    window_->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/Main/Share/ShareClipSheet.qml")));
    if (window_->status() == QQuickView::Error) {
        for (const QQmlError& error : window_->errors())
            Log::info(QStringLiteral("share window: ") + error.toString());
    }

    // Laid out text settles its height only after the first layout pass: follow it.
    if (QQuickItem* root = window_->rootObject())
        connect(root, &QQuickItem::implicitHeightChanged, this, &ShareClipWindowController::fitToContent);
    fitToContent();
    WindowClosing::whenClosed(*window_, *this, [this] {
        session_->player()->stop();
        if (onClose)
            onClose();
    });
}

void ShareClipWindowController::fitToContent()
{
    const QQuickItem* root = window_->rootObject();
    const int content = root ? int(std::ceil(root->implicitHeight())) : 0;
    QRect frame = window_->geometry();
    if (!placed_) {
        const QScreen* screen = screenUnderPointer();
        frame = QRect(0, 0, windowWidth, 0);
        frame.moveCenter(screen ? screen->availableGeometry().center() : QPoint());
    }
    const int top = frame.top();
    frame.setHeight(std::max(content, minimumHeight));
    if (!placed_)
        frame.moveTop(top - frame.height() / 2);
    placed_ = true;
    QList<QRect> screens;
    for (const QScreen* each : QGuiApplication::screens())
        screens.append(each->availableGeometry());
    if (!screens.isEmpty()) {
        const QRect screen = WindowFrame::screenFor(frame, screens);
        frame.setHeight(std::min(frame.height(), screen.height()));
        frame = WindowFrame::movedOnto(frame, screen);
    }
    window_->setMinimumSize(frame.size());
    window_->setMaximumSize(frame.size());
    window_->setGeometry(frame);
}

ShareClipWindowController::~ShareClipWindowController() = default;

void ShareClipWindowController::show()
{
    window_->show();
    window_->raise();
    window_->requestActivate();
}
