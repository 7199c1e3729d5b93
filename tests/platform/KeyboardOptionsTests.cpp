// The keyboard options that take each dictation key, read from a stand-in _XKB_RULES_NAMES on the
// test X server's root window (put back as it was at the end).
#include "KeyboardOptions.h"

#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {
const QByteArray rulesNames = QByteArrayLiteral("_XKB_RULES_NAMES");

// "option use" for each key in the order of HotkeyMonitor::allKeys, empty when the key is free.
QStringList takers(const QStringList& options)
{
    QStringList found;
    for (const HotkeyMonitor::Key key : HotkeyMonitor::allKeys) {
        const auto taker = KeyboardOptions::takerOf(key, options);
        found.append(!taker ? QString()
                            : taker->option + (taker->use == KeyboardOptions::Use::compose ? " compose" : " layout"));
    }
    return found;
}
}

class KeyboardOptionsTests : public QObject {
    Q_OBJECT

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
    std::optional<QByteArray> saved_;

    std::optional<QByteArray> rootProperty() const
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, atom_, XCB_ATOM_STRING, 0, 1024), nullptr);
        std::optional<QByteArray> value;
        if (reply && reply->type == XCB_ATOM_STRING)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }
    // Sets (or deletes) the property and waits until the server has done it.
    void setRootProperty(const std::optional<QByteArray>& value)
    {
        if (value)
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, atom_, XCB_ATOM_STRING, 8,
                                uint32_t(value->size()), value->constData());
        else
            xcb_delete_property(connection_, root_, atom_);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

private slots:
    void initTestCase()
    {
        connection_ = xcb_connect(nullptr, nullptr);
        QVERIFY2(!xcb_connection_has_error(connection_), "needs the test display (scripts/test-services)");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(rulesNames.size()), rulesNames.constData()), nullptr);
        QVERIFY(reply);
        atom_ = reply->atom;
        std::free(reply);
        saved_ = rootProperty();
    }
    void cleanupTestCase()
    {
        if (connection_ && atom_ != XCB_ATOM_NONE)
            setRootProperty(saved_);
        xcb_disconnect(connection_);
    }

    void optionsTakeTheirKey_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("property");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("takers");  // right Ctrl, right Alt, right Super
        // Rules, model, layouts, variants and options, each ending in a NUL.
        const auto names = [](const char* options) {
            return std::optional(QByteArrayList{"evdev", "pc105", "us,ir", ",", options, ""}.join('\0'));
        };
        QTest::newRow("a layout switch and the compose key")
            << names("grp:rctrl_toggle,compose:ralt,terminate:ctrl_alt_bksp")
            << QStringList{"grp:rctrl_toggle", "compose:ralt", "terminate:ctrl_alt_bksp"}
            << QStringList{"grp:rctrl_toggle layout", "compose:ralt compose", ""};
        QTest::newRow("a layout switch before the compose key")
            << names("compose:rctrl,grp:rctrl_switch,grp:switch")
            << QStringList{"compose:rctrl", "grp:rctrl_switch", "grp:switch"}
            << QStringList{"grp:rctrl_switch layout", "grp:switch layout", ""};
        QTest::newRow("right Super") << names("grp:win_switch,compose:rwin")
                                     << QStringList{"grp:win_switch", "compose:rwin"}
                                     << QStringList{"", "", "grp:win_switch layout"};
        QTest::newRow("only with another key")
            << names("grp:alt_shift_toggle,grp:rctrl_rshift_toggle,compose:rctrl-altgr,lv3:ralt_switch")
            << QStringList{"grp:alt_shift_toggle", "grp:rctrl_rshift_toggle", "compose:rctrl-altgr", "lv3:ralt_switch"}
            << QStringList{"", "", ""};
        QTest::newRow("no options") << names("") << QStringList{} << QStringList{"", "", ""};
        QTest::newRow("no options field") << std::optional(QByteArrayList{"evdev", "pc105", "us"}.join('\0'))
                                          << QStringList{} << QStringList{"", "", ""};
        QTest::newRow("no property") << std::optional<QByteArray>() << QStringList{} << QStringList{"", "", ""};
    }
    void optionsTakeTheirKey()
    {
        QFETCH(std::optional<QByteArray>, property);
        QFETCH(QStringList, options);
        setRootProperty(property);
        const QStringList current = KeyboardOptions::system().current();
        QCOMPARE(current, options);
        QTEST(takers(current), "takers");
    }
};

QTEST_GUILESS_MAIN(KeyboardOptionsTests)
#include "KeyboardOptionsTests.moc"
