#include "X11/XcbAtoms.h"

#include "X11/XcbReply.h"

#include <vector>

void XcbAtoms::intern(const QList<QByteArray>& names)
{
    std::vector<std::pair<QByteArray, xcb_intern_atom_cookie_t>> asked;
    std::unique_lock lock(mutex_);
    for (const QByteArray& atomName : names) {
        if (!atoms_.contains(atomName))
            asked.emplace_back(atomName,
                               xcb_intern_atom(connection_, 0, uint16_t(atomName.size()), atomName.constData()));
    }
    lock.unlock();
    for (const auto& [atomName, cookie] : asked) {
        const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
        if (reply)
            remember(reply->atom, atomName);
    }
}

void XcbAtoms::learnNames(const QList<xcb_atom_t>& atoms)
{
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> asked;
    std::unique_lock lock(mutex_);
    for (const xcb_atom_t atom : atoms) {
        if (!names_.contains(atom))
            asked.emplace_back(atom, xcb_get_atom_name(connection_, atom));
    }
    lock.unlock();
    for (const auto& [atom, cookie] : asked) {
        const XcbReply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(connection_, cookie, nullptr));
        if (reply)
            remember(atom, QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get())));
    }
}

xcb_atom_t XcbAtoms::known(const QByteArray& name) const
{
    const std::lock_guard lock(mutex_);
    return atoms_.value(name, XCB_NONE);
}

QByteArray XcbAtoms::name(xcb_atom_t atom)
{
    learnNames({atom});
    const std::lock_guard lock(mutex_);
    return names_.value(atom);
}

void XcbAtoms::remember(xcb_atom_t atom, const QByteArray& atomName)
{
    const std::lock_guard lock(mutex_);
    atoms_.insert(atomName, atom);
    names_.insert(atom, atomName);
}
