// Whether other windows cover one of ours whole, read from windows of a private X server
// (scripts/test-services starts one).
#include "X11/X11WindowCover.h"

#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>

class WindowCoverTests : public QObject {
    Q_OBJECT

private slots:
    void onlyAWindowCoveredWholeIsCoveredAndOnlyUntilTheOtherGoes()
    {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        const auto disconnect = qScopeGuard([&] { xcb_disconnect(connection); });
        if (xcb_connection_has_error(connection))
            QFAIL("no X display (scripts/test-services starts one)");
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        // Placed where asked: the window manager leaves override-redirect windows alone.
        const auto open = [&](qint16 x, qint16 y, quint16 width, quint16 height) {
            const xcb_window_t window = xcb_generate_id(connection);
            const uint32_t values[] = {screen->white_pixel, 1};
            xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, x, y, width, height, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                              XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
            xcb_map_window(connection, window);
            xcb_flush(connection);
            return window;
        };
        const auto close = [&](xcb_window_t window) {
            xcb_destroy_window(connection, window);
            xcb_flush(connection);
        };

        QList<bool> reports;
        const xcb_window_t ours = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, ours, screen->root, 100, 100, 200, 150, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        // The window exists on the server before the cover, over a connection of its own, watches it.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        X11WindowCover cover(ours, [&](bool covered) { reports.append(covered); });
        const uint32_t overrideRedirect = 1;
        xcb_change_window_attributes(connection, ours, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
        xcb_map_window(connection, ours);
        xcb_flush(connection);
        QTRY_COMPARE(reports, QList<bool>{false});

        // Covered in part: the notice of it says not covered.
        const xcb_window_t corner = open(50, 50, 100, 100);
        QTRY_COMPARE(reports, (QList<bool>{false, false}));

        const xcb_window_t whole = open(80, 80, 300, 200);
        QTRY_COMPARE(reports, (QList<bool>{false, false, true}));
        close(whole);
        QTRY_COMPARE(reports, (QList<bool>{false, false, true, false}));
        close(corner);
        close(ours);
    }
};

QTEST_GUILESS_MAIN(WindowCoverTests)
#include "WindowCoverTests.moc"
