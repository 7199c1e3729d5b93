// The X11 clipboard between applications on a private X server (scripts/test-services starts one):
// serving what we own to an application that reads it, target after target, and telling when it
// has read it.
#include "TestSupport.h"
#include "X11/X11Clipboard.h"
#include "X11/XcbConnection.h"

#include <QTest>

#include <X11/Xlib.h>

#include <memory>

namespace {

// The clipboard's owner as the X server has it now: another connection's change of owner can
// reach it after what this one asks later.
Window clipboardOwner()
{
    Display* display = XOpenDisplay(nullptr);
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False));
    XCloseDisplay(display);
    return owner;
}

// An application that asks for the clipboard's text and leaves the answer unread until told.
class SlowReader {
public:
    SlowReader()
        : display_(XOpenDisplay(nullptr)),
          window_(XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0)),
          property_(XInternAtom(display_, "SLOW_READER", False))
    {
        XConvertSelection(display_, XInternAtom(display_, "CLIPBOARD", False),
                          XInternAtom(display_, "UTF8_STRING", False), property_, window_, CurrentTime);
        XFlush(display_);
    }
    ~SlowReader() { XCloseDisplay(display_); }
    SlowReader(const SlowReader&) = delete;
    SlowReader& operator=(const SlowReader&) = delete;

    bool answered()
    {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            answered_ = answered_ || (event.type == SelectionNotify && event.xselection.property == property_);
        }
        return answered_;
    }
    // Deletes the answer, as a requestor does once it has the bytes.
    void read()
    {
        XDeleteProperty(display_, window_, property_);
        XFlush(display_);
    }

private:
    Display* display_;
    Window window_;
    Atom property_;
    bool answered_ = false;
};

}

class X11ClipboardTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void anApplicationHasTheTextOnlyOnceItHasReadTheAnswer();
    void anApplicationAskingTargetAfterTargetGetsEveryAnswer();

private:
    // What the clipboard holds, read as another application would.
    std::optional<ClipboardContents> clipboardNow();

    X11Clipboard otherApplication_{XcbConnection::open()};
};

void X11ClipboardTests::initTestCase()
{
    if (!XcbConnection::open())
        QFAIL("no X display (scripts/test-services starts one)");
}

std::optional<ClipboardContents> X11ClipboardTests::clipboardNow()
{
    std::optional<std::optional<ClipboardContents>> read;
    otherApplication_.save([&](std::optional<ClipboardContents> contents) { read = std::move(contents); });
    waitUntil([&] { return read.has_value(); });
    return read.value_or(std::nullopt);
}

void X11ClipboardTests::anApplicationHasTheTextOnlyOnceItHasReadTheAnswer()
{
    const auto read = std::make_shared<QList<QByteArray>>();
    const auto taken = std::make_shared<std::optional<quint64>>();
    QVERIFY(otherApplication_.own(
        {{"UTF8_STRING", "UTF8_STRING", 8, "words"}},
        {0, [taken](quint64 time) { *taken = time; }, [read](const QByteArray& target) { *read << target; }}));
    SlowReader reader;
    QVERIFY(waitUntil([&] { return reader.answered(); }));
    QTest::qWait(100);  // anything the owner's thread posted reaches the main thread
    QVERIFY(read->isEmpty());
    reader.read();
    QVERIFY(waitUntil([&] { return !read->isEmpty(); }));
    QCOMPARE(*read, QList<QByteArray>{"UTF8_STRING"});
    QVERIFY(taken->has_value());
    QVERIFY(otherApplication_.replace({}, **taken));
}

void X11ClipboardTests::anApplicationAskingTargetAfterTargetGetsEveryAnswer()
{
    // Each read's end and the next request reach the owner together, while it answers the read.
    ClipboardContents many;
    for (int i = 0; i < 50; ++i)
        many.append({"application/x-flow-" + QByteArray::number(i), "STRING", 8, QByteArray::number(i)});
    X11Clipboard owner(XcbConnection::open());
    const Window before = clipboardOwner();
    QVERIFY(owner.own(many, {}));
    QVERIFY(waitUntil([&] { return clipboardOwner() != before; }));
    for (int round = 0; round < 4; ++round)
        QCOMPARE(clipboardNow(), std::optional(many));
}

QTEST_GUILESS_MAIN(X11ClipboardTests)
#include "X11ClipboardTests.moc"
