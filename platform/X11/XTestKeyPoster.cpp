#include "X11/XTestKeyPoster.h"

#include "Core/Log.h"
#include "SyntheticKeys.h"
#include "X11/XcbConnection.h"

#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

XTestKeyPoster::XTestKeyPoster(SyntheticKeys& synthetic, std::shared_ptr<XcbConnection> display) : synthetic_(synthetic)
{
    if (!display)
        return;
    xcb_connection_t* connection = display->get();
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    if (!xtest || !xtest->present) {
        Log::info(QStringLiteral("can't post keys: the X server has no XTest"));
        return;
    }
    // The keyboard's symbols, read once as a key's own lookup would.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, uint8_t(count)), nullptr),
        &std::free);
    // Waiting for the answer may have read events the clipboard's thread waits for.
    display->wakeReader();
    if (!mapping)
        return;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKey = mapping->keysyms_per_keycode;
    for (int column = 0; column < perKey; ++column) {
        for (int key = 0; key < count; ++key) {
            const xcb_keysym_t symbol = symbols[key * perKey + column];
            if (symbol != 0 && !keycodes_.contains(symbol))
                keycodes_.insert(symbol, xcb_keycode_t(setup->min_keycode + key));
        }
    }
    display_ = std::move(display);
}

bool XTestKeyPoster::post(const QList<quint32>& keysyms)
{
    if (!display_)
        return false;
    QList<xcb_keycode_t> codes;
    for (const quint32 keysym : keysyms) {
        const xcb_keycode_t code = keycodes_.value(keysym, 0);
        if (code == 0)
            return false;
        codes.append(code);
    }
    xcb_connection_t* connection = display_->get();
    for (const xcb_keycode_t code : codes) {
        synthetic_.posted(code, true);
        xcb_test_fake_input(connection, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    for (auto code = codes.crbegin(); code != codes.crend(); ++code) {
        synthetic_.posted(*code, false);
        xcb_test_fake_input(connection, XCB_KEY_RELEASE, *code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    display_->flush();
    return !xcb_connection_has_error(connection);
}
