#include "PillController.h"

#include "OrbState.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr int pillWidth = 440;
constexpr int pillHeight = 52;
constexpr int bottomGap = 64;
}

PillController::PillController(Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

PillController::~PillController()
{
    cancelTimers();
}

void PillController::cancelTimers()
{
    for (auto* work : {&showing_, &hiding_, &ticking_}) {
        if (*work)
            (*work)->cancel();
        work->reset();
    }
}

void PillController::start()
{
    cancelTimers();
    mode_ = Mode::listening;
    offersUndo_ = false;
    stableText_.clear();
    settlingText_.clear();
    message_.clear();
    level_ = 0;
    emit changed();
    showing_ = clock_.schedule(showDelay, [this] {
        showing_.reset();
        show();
    });
}

void PillController::setMode(Mode mode)
{
    if (mode == mode_)
        return;
    mode_ = mode;
    if (mode == Mode::handsFree) {
        handsFreeSince_ = clock_.now();
        tick();
    }
    emit changed();
}

void PillController::tick()
{
    emit changed();
    ticking_ = clock_.schedule(clockTick, [this] {
        if (mode_ == Mode::handsFree)
            tick();
        else
            ticking_.reset();
    });
}

QString PillController::clock() const
{
    if (mode_ != Mode::handsFree)
        return {};
    const auto elapsed = static_cast<int>(seconds(clock_.now() - handsFreeSince_));
    return QStringLiteral("%1:%2").arg(elapsed / 60).arg(elapsed % 60, 2, 10, QLatin1Char('0'));
}

void PillController::setPartial(const Partial& partial)
{
    const qsizetype settling = std::clamp<qsizetype>(partial.settlingCount, 0, partial.words.size());
    stableText_ = partial.words.mid(0, partial.words.size() - settling).join(QLatin1Char(' '));
    settlingText_ = partial.words.mid(partial.words.size() - settling).join(QLatin1Char(' '));
    emit changed();
}

void PillController::setLevel(float level)
{
    level_ = level;
    emit levelChanged();
}

void PillController::dismiss()
{
    cancelTimers();
    if (window_)
        window_->hide();
    emit changed();
}

void PillController::showOutcome(Mode mode, const QString& message, bool offersUndo)
{
    cancelTimers();
    mode_ = mode;
    message_ = message;
    offersUndo_ = offersUndo;
    emit changed();
    show();
    if (canUndo())
        hideAfter(undoTime);
    else if (mode == Mode::failed)
        hideAfter(failureTime + failureTimePerWord * message.split(u' ', Qt::SkipEmptyParts).size());
    else
        hideAfter(outcomeTime);
}

void PillController::withdrawUndo()
{
    if (!std::exchange(offersUndo_, false))
        return;
    emit changed();
}

void PillController::hideAfter(Clock::Duration delay)
{
    hiding_ = clock_.schedule(delay, [this] {
        hiding_.reset();
        if (window_)
            window_->hide();
        emit changed();
    });
}

void PillController::undo()
{
    if (canUndo())
        onUndo();
}

QString PillController::mode() const
{
    switch (mode_) {
    case Mode::listening:
        return QStringLiteral("listening");
    case Mode::handsFree:
        return QStringLiteral("handsFree");
    case Mode::finishing:
        return QStringLiteral("finishing");
    case Mode::inserted:
        return QStringLiteral("inserted");
    case Mode::copied:
        return QStringLiteral("copied");
    case Mode::nothingHeard:
        return QStringLiteral("nothingHeard");
    case Mode::failed:
        return QStringLiteral("failed");
    case Mode::improved:
        return QStringLiteral("improved");
    }
    return {};
}

bool PillController::animating() const
{
    return isShown() && (mode_ == Mode::listening || mode_ == Mode::handsFree || mode_ == Mode::finishing);
}

int PillController::orbMode() const
{
    switch (mode_) {
    case Mode::listening:
    case Mode::handsFree:
        return OrbState::Listening;
    case Mode::finishing:
        return OrbState::Thinking;
    case Mode::inserted:
    case Mode::copied:
    case Mode::improved:
        return OrbState::Inserted;
    case Mode::nothingHeard:
        return OrbState::Idle;
    case Mode::failed:
        return OrbState::Error;
    }
    return OrbState::Idle;
}

bool PillController::isShown() const
{
    return window_ && window_->isVisible();
}

void PillController::show()
{
    if (!window_) {
        window_ = std::make_unique<QQuickView>();
        // Never the focus: whatever is pasted goes to the window the user was typing in.
        window_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                          | Qt::X11BypassWindowManagerHint);
        window_->setTitle(QStringLiteral("Quillmarsh"));
        window_->setColor(Qt::transparent);
        window_->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        window_->setInitialProperties({{QStringLiteral("pill"), QVariant::fromValue(this)}});
        window_->setResizeMode(QQuickView::SizeRootObjectToView);
        window_->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/Pill/PillView.qml")));
        window_->resize(pillWidth, pillHeight);
        if (QQuickItem* face = window_->rootObject())
            connect(face, &QQuickItem::implicitHeightChanged, this, &PillController::place);
    }
    place();
    window_->show();
    emit changed();
}

void PillController::place()
{
    const QQuickItem* face = window_->rootObject();
    const int height = std::max(pillHeight, face ? int(std::ceil(face->implicitHeight())) : 0);
    QPoint at = window_->position();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        at = {area.center().x() - pillWidth / 2, area.bottom() - height - bottomGap};
    }
    // Its bottom stays where it was: a taller message grows the pill upwards.
    window_->setGeometry(QRect(at, QSize(pillWidth, height)));
}
