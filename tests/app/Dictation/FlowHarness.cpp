#include "FlowHarness.h"

#include "AtSpi/AtSpiFocusedText.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimeZone>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

Keyboard::Keyboard() : display_(XOpenDisplay(nullptr)) {}

Keyboard::~Keyboard()
{
    if (display_)
        XCloseDisplay(display_);
}

void Keyboard::send(quint32 keysym, bool down)
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, CurrentTime);
    XSync(display_, False);
}

Target::Target(const QString& windowClass, const QString& startText, int caret, Field field,
               std::optional<std::chrono::milliseconds> answersAfter, int crowd)
    : field_(field), answersAfter_(answersAfter), crowd_(crowd)
{
    process_.setProgram(QStringLiteral(FLOW_TARGET));
    QStringList arguments{windowClass, startText, QString::number(caret)};
    if (field == Field::password)
        arguments << QStringLiteral("password");
    if (answersAfter) {
        const QDBusMessage address = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
        arguments << QStringLiteral("answers-after") << QString::number(answersAfter->count())
                  << address.arguments().value(0).toString();
        if (crowd > 0)
            arguments << QStringLiteral("crowd") << QString::number(crowd);
    }
    process_.setArguments(arguments);
    if (field == Field::unpublished || answersAfter) {
        // Qt finds the accessibility bus through the session bus: without it, Qt's own publishing
        // stays off, and a field published by hand is the only one there.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
        process_.setProcessEnvironment(environment);
    }
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
        while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
            if (line.startsWith(QStringLiteral("text:"))) {
                const qsizetype stampEnd = line.indexOf(u':', 5);
                changedAt = std::chrono::steady_clock::time_point(
                    std::chrono::nanoseconds(line.mid(5, stampEnd - 5).toLongLong()));
                text = line.mid(stampEnd + 1);
            } else
                replies << line;
        }
    });
    process_.start();
}

bool Target::published() const
{
    return field_ != Field::unpublished && (!answersAfter_ || *answersAfter_ >= std::chrono::milliseconds(0))
           && crowd_ < AtSpiFocusedText::searchBudget;
}

Target::~Target()
{
    process_.kill();
    process_.waitForFinished();
}

bool FlowHarness::desktopAvailable()
{
    return !qgetenv("DISPLAY").isEmpty() && !qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty();
}

FlowHarness::FlowHarness(const QString& modelFolder, Clock& clock)
    : UserRecords(folder.path(), QTimeZone::systemTimeZone()),
      recognizer(std::make_shared<Recognizer>(RecognizerConfig(modelFolder))),
      controller([this] { return recognizer; }, clock), desktop(HotkeyMonitor::Key::fn),
      flow(controller, model, flowDesktop(),
           {[this] { return punctuator; }, [this] { return formatter ? formatter() : nullptr; }, punctuation}, clock)
{
}

DictationFlow::Desktop FlowHarness::flowDesktop()
{
    const DictationFlow::Desktop parts = desktop.parts(applications);
    return {parts.keys, parts.windows, parts.applications, focus, parts.input, parts.poster, parts.clipboard};
}

void HeldFocus::find(qint64 pid, std::function<void(FocusAnswer)> found)
{
    desktop_.find(pid, [this, found = std::move(found)](FocusAnswer answer) {
        if (holding_)
            held_.push_back([found, answer] { found(answer); });
        else
            found(std::move(answer));
    });
}

void HeldFocus::release()
{
    holding_ = false;
    for (const std::function<void()>& answer : std::exchange(held_, {}))
        answer();
}

bool FlowHarness::waitForFront(const Target& target, const QString& text)
{
    return waitUntil([&] {
        const auto front = desktop.windows.active();
        return front && front->pid == target.pid() && (!target.published() || focusedIn(front->pid))
               && target.text == text;
    });
}

bool FlowHarness::focusedIn(qint64 pid)
{
    // Shared with the answer, which may come after a wait that gave up.
    const auto answer = std::make_shared<std::optional<bool>>();
    desktop.focus.find(pid, [answer](FocusAnswer found) { *answer = found.element.has_value(); });
    waitUntil([&] { return answer->has_value(); });
    return answer->value_or(false);
}

void FlowHarness::speakInEveryDictation(const std::vector<float>& audio)
{
    controller.makeSource = [this, &audio] {
        source = std::make_shared<PacedSource>(audio);
        return source;
    };
}
