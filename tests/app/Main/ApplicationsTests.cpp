// The applications the Styles page names: names and icons from desktop entries, and the picker's
// offer read from real windows of a private X server (scripts/test-services starts one).
#include "Main/Styles/Applications.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "X11/X11DesktopWindows.h"
#include "Xdg/XdgAppIdentity.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstring>

namespace {

void writeEntry(const QString& path, const QString& keys)
{
    writeFile(path, (QStringLiteral("[Desktop Entry]\nType=Application\nExec=true\n") + keys).toUtf8());
}

// A top-level window as another program would make it: its class, and when given its process,
// its window type and a state it asks for.
class TestWindows {
public:
    TestWindows() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~TestWindows() { xcb_disconnect(connection_); }

    bool connected() const { return !xcb_connection_has_error(connection_); }

    void open(const QByteArray& windowClass, quint32 pid = 0, const char* type = nullptr, const char* state = nullptr)
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 120, 80, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const QByteArray classValue = windowClass.toLower() + '\0' + windowClass + '\0';
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            classValue.size(), classValue.constData());
        if (pid != 0)
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32,
                                1, &pid);
        if (type)
            setAtom(window, "_NET_WM_WINDOW_TYPE", type);
        if (state)
            setAtom(window, "_NET_WM_STATE", state);
        xcb_map_window(connection_, window);
        xcb_flush(connection_);
    }

private:
    void setAtom(xcb_window_t window, const char* property, const char* value)
    {
        const xcb_atom_t valueAtom = atom(value);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom(property), XCB_ATOM_ATOM, 32, 1,
                            &valueAtom);
    }

    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }

    xcb_connection_t* connection_;
};

QStringList ids(const QVariantList& offers)
{
    QStringList result;
    for (const QVariant& offer : offers)
        result.append(offer.toMap().value(QStringLiteral("id")).toString());
    return result;
}

}

class ApplicationsTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        const QString user = folder_.filePath(QStringLiteral("user"));
        const QString system = folder_.filePath(QStringLiteral("system"));
        writeEntry(user + QStringLiteral("/org.gnome.TextEditor.desktop"),
                   QStringLiteral("Name=Text Editor\nName[fa]=ویرایشگر متن\nIcon=") + user
                       + QStringLiteral("/editor.svg\n"));
        writeFile(
            user + QStringLiteral("/editor.svg"),
            "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 8 8\"><rect width=\"8\" height=\"8\"/></svg>");
        writeEntry(system + QStringLiteral("/org.gnome.TextEditor.desktop"), QStringLiteral("Name=Older Editor\n"));
        writeEntry(system + QStringLiteral("/kde/org.kde.kate.desktop"),
                   QStringLiteral("Name=Kate\nIcon=/missing.png\n"));
        writeEntry(system + QStringLiteral("/visual-studio-code.desktop"),
                   QStringLiteral("Name=Visual Studio Code\nStartupWMClass=Code\n"));
        writeEntry(system + QStringLiteral("/removed.desktop"), QStringLiteral("Name=Removed\n"));
        writeEntry(user + QStringLiteral("/removed.desktop"), QStringLiteral("Name=Removed\nHidden=true\n"));
        folders_ = {user, system};
    }

    void namesAndIconsComeFromTheFirstDesktopEntryThatMatches_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("icon");
        QTest::newRow("user folder first")
            << QString("en_US") << QString("org.gnome.TextEditor") << QString("Text Editor") << true;
        QTest::newRow("window class in lower case")
            << QString("en_US") << QString("org.gnome.texteditor") << QString("Text Editor") << true;
        QTest::newRow("user's language") << QString("fa_IR") << QString("org.gnome.TextEditor")
                                         << QString("ویرایشگر متن") << true;
        QTest::newRow("subfolder in the id")
            << QString("en_US") << QString("kde-org.kde.kate") << QString("Kate") << false;
        QTest::newRow("startup window class")
            << QString("en_US") << QString("code") << QString("Visual Studio Code") << false;
        QTest::newRow("hidden by the user") << QString("en_US") << QString("removed") << QString("removed") << false;
        QTest::newRow("not installed") << QString("en_US") << QString("org.example.Gone") << QString("org.example.Gone")
                                       << false;
    }

    void namesAndIconsComeFromTheFirstDesktopEntryThatMatches()
    {
        QFETCH(QString, locale);
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(bool, icon);
        QLocale::setDefault(QLocale(locale));
        const XdgAppIdentity identity(folders_);
        const X11DesktopWindows noWindows;
        const Applications applications(noWindows, identity);
        const QString shown = applications.name(id);
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QCOMPARE(shown, name);
        QCOMPARE(!applications.icon(id).isNull(), icon);
    }

    void anApplicationInstalledLaterIsNamed()
    {
        const XdgAppIdentity identity(folders_);
        QVERIFY(!identity.entry(QStringLiteral("org.example.Later")));
        writeEntry(folders_.first() + QStringLiteral("/org.example.Later.desktop"), QStringLiteral("Name=Later\n"));
        QCOMPARE(identity.entry(QStringLiteral("org.example.Later")).value().name, QStringLiteral("Later"));
    }

    void thePickerOffersTheOwnersOfApplicationWindowsButNeverThisApplication()
    {
        TestWindows windows;
        QVERIFY2(windows.connected(), "no X display: run the tests through scripts/test");
        windows.open("Code");
        windows.open("org.gnome.TextEditor");
        windows.open("Code");  // a second window of the same application
        windows.open("Styled");
        windows.open(Applications::ownId().toUtf8());
        windows.open("Helper", quint32(QCoreApplication::applicationPid()));
        windows.open("Panel", 0, "_NET_WM_WINDOW_TYPE_DOCK");
        windows.open("Desktop", 0, "_NET_WM_WINDOW_TYPE_DESKTOP");
        windows.open("Tray", 0, nullptr, "_NET_WM_STATE_SKIP_TASKBAR");
        windows.open("Dialog", 0, "_NET_WM_WINDOW_TYPE_DIALOG");

        // Other tests may have windows of their own on the shared display: look only at ours.
        const QStringList ours{QStringLiteral("code"),    QStringLiteral("org.gnome.texteditor"),
                               QStringLiteral("styled"),  Applications::ownId(),
                               QStringLiteral("helper"),  QStringLiteral("panel"),
                               QStringLiteral("desktop"), QStringLiteral("tray"),
                               QStringLiteral("dialog")};
        const X11DesktopWindows desktop;
        const XdgAppIdentity identity(folders_);
        const Applications applications(desktop, identity);
        const auto offeredOfOurs = [&] {
            QVariantList offers = applications.offered({QStringLiteral("styled")});
            offers.removeIf([&](const QVariant& offer) { return !ours.contains(ids({offer}).first()); });
            return ids(offers);
        };
        // The window manager lists the new windows once it has taken them in.
        waitUntil([&] { return offeredOfOurs().size() == 3; });
        QCOMPARE(offeredOfOurs(), (QStringList{QStringLiteral("dialog"), QStringLiteral("org.gnome.texteditor"),
                                               QStringLiteral("code")}));
    }

private:
    QTemporaryDir folder_;
    QStringList folders_;
};

QTEST_MAIN(ApplicationsTests)
#include "ApplicationsTests.moc"
