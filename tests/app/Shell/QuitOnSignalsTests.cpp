// SIGTERM, SIGINT and SIGHUP quit through the event loop: the program ends normally. Ended a
// moment after a dictation's paste, it puts the user's copied text back on the way out, and Qt
// hands it to the desktop's clipboard manager (a stand-in here, on the test desktop's X server),
// so the copy outlives the application.
#include "LogLines.h"
#include "Shell/QuitOnSignals.h"

#include <QProcess>
#include <QTest>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <csignal>
#include <memory>

namespace {

// A clipboard manager as desktops have one: it owns CLIPBOARD_MANAGER and, when an application
// leaving asks it to keep the clipboard (SAVE_TARGETS), reads the clipboard's text, then answers.
class ClipboardManager {
public:
    ClipboardManager() : display_(XOpenDisplay(nullptr))
    {
        if (!display_)
            return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        manager_ = atom("CLIPBOARD_MANAGER");
        XSetSelectionOwner(display_, manager_, window_, CurrentTime);
        XSync(display_, False);
    }
    ~ClipboardManager()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    ClipboardManager(const ClipboardManager&) = delete;
    ClipboardManager& operator=(const ClipboardManager&) = delete;

    bool running() const { return display_ && XGetSelectionOwner(display_, manager_) == window_; }
    // Answers what has arrived.
    void serve()
    {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == SelectionRequest && event.xselectionrequest.selection == manager_) {
                saving_ = event.xselectionrequest;
                XConvertSelection(display_, atom("CLIPBOARD"), atom("UTF8_STRING"), atom("KEPT"), window_, CurrentTime);
            } else if (event.type == SelectionNotify && event.xselection.requestor == window_) {
                keep(event.xselection.property);
                answerSaving();
            }
            XFlush(display_);
        }
    }
    QString kept;

private:
    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }
    void keep(Atom property)
    {
        if (property == None)
            return;
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, window_, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                           &after, &data);
        if (data) {
            kept = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(items));
            XFree(data);
        }
    }
    void answerSaving()
    {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = saving_.requestor;
        reply.xselection.selection = saving_.selection;
        reply.xselection.target = saving_.target;
        reply.xselection.property = saving_.property;
        reply.xselection.time = saving_.time;
        XSendEvent(display_, saving_.requestor, False, NoEventMask, &reply);
    }

    Display* display_;
    Window window_ = None;
    Atom manager_ = None;
    XSelectionRequestEvent saving_{};
};

}

class QuitOnSignalsTests : public QObject {
    Q_OBJECT

    QTemporaryDir logFolder_;

private slots:
    void initTestCase()
    {
        qputenv("QUILLMARSH_LOG", QFile::encodeName(logFolder_.filePath(QStringLiteral("Quillmarsh.log"))));
    }

    void signalQuitsThroughTheEventLoop_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalQuitsThroughTheEventLoop()
    {
        QFETCH(int, signal);
        const QuitOnSignals quitOnSignals;
        LogLines log;
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(log.mentions(QStringLiteral("quitting on ") + QString::fromLatin1(QTest::currentDataTag())));
    }

    void copiedTextGoesToTheClipboardManagerOnSigtermAfterADictation()
    {
        ClipboardManager manager;
        if (!manager.running())
            QSKIP("needs the test desktop's X server (scripts/test-services)");
        const QString copied = QStringLiteral("متن کپی‌شده and some English");
        QProcess application;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        application.setProcessEnvironment(environment);
        application.start(QStringLiteral(QUITTING_APPLICATION), {copied, QStringLiteral("متن گفته‌شده")});
        QVERIFY(application.waitForReadyRead(10000));
        QCOMPARE(application.readLine().trimmed(), QByteArray("ready"));

        application.terminate();  // SIGTERM
        QDeadlineTimer deadline(10000);
        while (application.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            manager.serve();
            application.waitForFinished(10);
        }
        QCOMPARE(application.exitStatus(), QProcess::NormalExit);
        QCOMPARE(application.exitCode(), 0);
        QCOMPARE(manager.kept, copied);
    }
};

QTEST_GUILESS_MAIN(QuitOnSignalsTests)
#include "QuitOnSignalsTests.moc"
