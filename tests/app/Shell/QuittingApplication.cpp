// An application that quits on signals as Quillmarsh does, caught a moment after pasting a
// dictation: the user's copied text (the first argument) was on the clipboard, the dictated text
// (the second) is there now, and putting the copy back is still due (its clock never moves on
// its own). Says "ready" then.
#include "Dictation/Inserter.h"
#include "KeyPoster.h"
#include "ManualClock.h"
#include "Shell/QuitOnSignals.h"
#include "X11/X11Clipboard.h"
#include "X11/XcbConnection.h"

#include <QApplication>
#include <QClipboard>
#include <QTimer>

#include <cstdio>

namespace {
struct NoKeys final : KeyPoster {
    bool post(const QList<quint32>&) override { return true; }
};
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QuitOnSignals quitOnSignals;
    QApplication::clipboard()->setText(QApplication::arguments().value(1));
    X11Clipboard clipboard(XcbConnection::open());
    NoKeys keys;
    ManualClock clock;
    Inserter inserter(clipboard, keys, clock);
    // The copy is read from Qt's clipboard, which this event loop serves.
    inserter.prepare();
    QTimer::singleShot(std::chrono::milliseconds(500), [&] {
        inserter.insert(QApplication::arguments().value(2), Inserter::Target::field, 0);
        std::puts("ready");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
