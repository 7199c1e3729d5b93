#include "X11/XcbAtoms.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace {
template <typename T>
struct Freed {
    void operator()(T* reply) const { std::free(reply); }
};
}

void XcbAtoms::intern(const QList<QByteArray>& names)
{
    std::vector<std::pair<QByteArray, xcb_intern_atom_cookie_t>> asked;
    for (const QByteArray& atomName : names) {
        if (!atoms_.contains(atomName))
            asked.emplace_back(atomName,
                               xcb_intern_atom(connection_, 0, uint16_t(atomName.size()), atomName.constData()));
    }
    for (const auto& [atomName, cookie] : asked) {
        const std::unique_ptr<xcb_intern_atom_reply_t, Freed<xcb_intern_atom_reply_t>> reply(
            xcb_intern_atom_reply(connection_, cookie, nullptr));
        if (reply)
            remember(reply->atom, atomName);
    }
}

void XcbAtoms::learnNames(const QList<xcb_atom_t>& atoms)
{
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> asked;
    for (const xcb_atom_t atom : atoms) {
        if (!names_.contains(atom))
            asked.emplace_back(atom, xcb_get_atom_name(connection_, atom));
    }
    for (const auto& [atom, cookie] : asked) {
        const std::unique_ptr<xcb_get_atom_name_reply_t, Freed<xcb_get_atom_name_reply_t>> reply(
            xcb_get_atom_name_reply(connection_, cookie, nullptr));
        if (reply)
            remember(atom, QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get())));
    }
}

QByteArray XcbAtoms::name(xcb_atom_t atom)
{
    if (!names_.contains(atom))
        learnNames({atom});
    return names_.value(atom);
}

void XcbAtoms::remember(xcb_atom_t atom, const QByteArray& atomName)
{
    atoms_.insert(atomName, atom);
    names_.insert(atom, atomName);
}
