#include "X11/ClipboardAtoms.h"

#include <algorithm>

namespace {
const QList<QByteArray> metaNames = {"TARGETS",          "TIMESTAMP",       "MULTIPLE",    "DELETE",
                                     "INSERT_SELECTION", "INSERT_PROPERTY", "SAVE_TARGETS"};
}

ClipboardAtoms::ClipboardAtoms(xcb_connection_t* connection) : names(connection)
{
    names.intern(metaNames
                 + QList<QByteArray>{"CLIPBOARD", "INCR", "QUILLMARSH_CLIPBOARD", "CLIPBOARD_MANAGER", "WM_PROTOCOLS",
                                     "_NET_WM_PING"});
    clipboard = names.known("CLIPBOARD");
    targets = names.known("TARGETS");
    timestamp = names.known("TIMESTAMP");
    incr = names.known("INCR");
    saveTargets = names.known("SAVE_TARGETS");
    manager = names.known("CLIPBOARD_MANAGER");
    readInto = names.known("QUILLMARSH_CLIPBOARD");
    wmProtocols = names.known("WM_PROTOCOLS");
    ping = names.known("_NET_WM_PING");
    for (const QByteArray& meta : metaNames)
        meta_.push_back(names.known(meta));
}

bool ClipboardAtoms::isMeta(xcb_atom_t atom) const
{
    return std::find(meta_.begin(), meta_.end(), atom) != meta_.end();
}

void ClipboardAtoms::learn(const ClipboardContents& contents)
{
    QList<QByteArray> wanted;
    for (const ClipboardFormat& format : contents)
        wanted << format.target << format.type;
    names.intern(wanted);
}
