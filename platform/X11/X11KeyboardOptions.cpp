#include "X11/X11KeyboardOptions.h"

#include "X11/XcbDisplay.h"

#include <cstdlib>

namespace {
const QByteArray rulesNames = QByteArrayLiteral("_XKB_RULES_NAMES");
constexpr int optionsField = 4;
constexpr uint32_t maxPropertyWords = 1024;
}

X11KeyboardOptions::X11KeyboardOptions()
{
    if (const std::optional<XcbDisplay> display = connectToDisplay()) {
        connection_ = display->connection;
        root_ = display->root;
        atoms_ = std::make_unique<XcbAtoms>(connection_);
        atoms_->intern({rulesNames});
    }
}

X11KeyboardOptions::~X11KeyboardOptions()
{
    atoms_.reset();
    if (connection_)
        xcb_disconnect(connection_);
}

QStringList X11KeyboardOptions::current() const
{
    if (!connection_)
        return {};
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection_, 0, root_, atoms_->known(rulesNames), XCB_ATOM_STRING, 0, maxPropertyWords);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
    if (!reply)
        return {};
    QByteArray value;
    if (reply->type == XCB_ATOM_STRING && reply->format == 8)
        value =
            QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    const QList<QByteArray> fields = value.split('\0');
    if (fields.size() <= optionsField)
        return {};
    return QString::fromUtf8(fields.at(optionsField)).split(u',', Qt::SkipEmptyParts);
}
