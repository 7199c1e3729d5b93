// The X11 clipboard between applications on a private X server (scripts/test-services starts one):
// serving what we own to an application that reads it, target after target, and telling when it
// has read it. Whatever another connection does is round-tripped before the clipboard is expected
// to see it.
#include "TestSupport.h"
#include "X11/X11Clipboard.h"
#include "X11/XcbConnection.h"

#include <QTest>

#include <X11/Xlib.h>

#include <memory>

namespace {

// An application that asks for the clipboard's text and takes the answer when told: whole, or
// chunk by chunk when it comes in pieces. Like some toolkits, it never deletes a whole answer.
class Requestor {
public:
    Requestor()
        : display_(XOpenDisplay(nullptr)),
          window_(XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0)),
          property_(XInternAtom(display_, "REQUESTOR", False)), incr_(XInternAtom(display_, "INCR", False))
    {
        XSelectInput(display_, window_, PropertyChangeMask);
        XConvertSelection(display_, XInternAtom(display_, "CLIPBOARD", False),
                          XInternAtom(display_, "UTF8_STRING", False), property_, window_, CurrentTime);
        XFlush(display_);
    }
    ~Requestor() { XCloseDisplay(display_); }
    Requestor(const Requestor&) = delete;
    Requestor& operator=(const Requestor&) = delete;

    bool answered()
    {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            answered_ = answered_ || (event.type == SelectionNotify && event.xselection.property == property_);
            chunkWaiting_ = chunkWaiting_
                            || (event.type == PropertyNotify && event.xproperty.atom == property_
                                && event.xproperty.state == PropertyNewValue);
        }
        return answered_;
    }
    // Whether the answer comes in pieces; starts taking them if so.
    bool inPieces()
    {
        const bool pieces = property(false).first == incr_;
        if (pieces) {
            chunkWaiting_ = false;
            property(true);
        }
        return pieces;
    }
    // The bytes of the whole answer, left in place.
    QByteArray whole() { return property(false).second; }
    bool chunkWaiting()
    {
        answered();
        return chunkWaiting_;
    }
    // Takes the next chunk (deleting it asks for the one after); empty once all is taken.
    QByteArray takeChunk()
    {
        chunkWaiting_ = false;
        return property(true).second;
    }

private:
    std::pair<Atom, QByteArray> property(bool remove)
    {
        Atom type = None;
        int unit = 0;
        unsigned long items = 0;
        unsigned long left = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, window_, property_, 0, 1 << 20, remove ? True : False, AnyPropertyType, &type,
                           &unit, &items, &left, &data);
        const QByteArray bytes(reinterpret_cast<const char*>(data), data ? qsizetype(items) * unit / 8 : 0);
        if (data)
            XFree(data);
        XSync(display_, False);
        return {type, bytes};
    }

    Display* display_;
    Window window_;
    Atom property_;
    Atom incr_;
    bool answered_ = false;
    bool chunkWaiting_ = false;
};

}

class X11ClipboardTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void anApplicationHasTheTextOnceItsAnswerIsComplete();
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

void X11ClipboardTests::anApplicationHasTheTextOnceItsAnswerIsComplete()
{
    QByteArray large(600 * 1024, 'x');  // beyond one request: it goes in pieces
    for (const QByteArray& text : {QByteArray("words"), large}) {
        const auto read = std::make_shared<QList<QByteArray>>();
        const auto taken = std::make_shared<std::optional<quint64>>();
        QVERIFY(otherApplication_.own(
            {{"UTF8_STRING", "UTF8_STRING", 8, text}},
            {0, [taken](quint64 time) { *taken = time; }, [read](const QByteArray& target) { *read << target; }, {}}));
        // The server has made it the owner before the requestor asks.
        QVERIFY(otherApplication_.takenAt().has_value());
        Requestor requestor;
        QVERIFY(waitUntil([&] { return requestor.answered(); }));
        if (requestor.inPieces()) {
            QByteArray got;
            while (got.size() < text.size()) {
                QVERIFY(waitUntil([&] { return requestor.chunkWaiting(); }));
                // The owner's thread answers after it has posted all it heard of before.
                bool told = false;
                otherApplication_.askStillOurs([&](bool) { told = true; });
                QVERIFY(waitUntil([&] { return told; }));
                QVERIFY(read->isEmpty());
                got += requestor.takeChunk();
            }
            QCOMPARE(got, text);
        } else {
            QCOMPARE(requestor.whole(), text);
        }
        QVERIFY(waitUntil([&] { return !read->isEmpty(); }));
        QCOMPARE(*read, QList<QByteArray>{"UTF8_STRING"});
        QVERIFY(taken->has_value());
        QVERIFY(otherApplication_.replace({}, **taken));
    }
}

void X11ClipboardTests::anApplicationAskingTargetAfterTargetGetsEveryAnswer()
{
    // Each read's end and the next request reach the owner together, while it answers the read.
    ClipboardContents many;
    for (int i = 0; i < 50; ++i)
        many.append({"application/x-flow-" + QByteArray::number(i), "STRING", 8, QByteArray::number(i)});
    X11Clipboard owner(XcbConnection::open());
    QVERIFY(owner.own(many, {}));
    QVERIFY(owner.takenAt().has_value());
    for (int round = 0; round < 4; ++round)
        QCOMPARE(clipboardNow(), std::optional(many));
}

QTEST_GUILESS_MAIN(X11ClipboardTests)
#include "X11ClipboardTests.moc"
