#pragma once
// Atom numbers and names over one connection, each learnt once: atoms live as long as the X
// server, so a name costs one round trip, shared by every name learnt together. Safe to use from
// several threads.

#include <QByteArray>
#include <QHash>
#include <QList>

#include <mutex>

#include <xcb/xcb.h>

class XcbAtoms {
public:
    explicit XcbAtoms(xcb_connection_t* connection) : connection_(connection) {}

    // Learns the numbers of these names, all in one round trip.
    void intern(const QList<QByteArray>& names);
    // Learns the names of these atoms, all in one round trip.
    void learnNames(const QList<xcb_atom_t>& atoms);
    // A name interned before, without asking the server; XCB_NONE for one that wasn't.
    xcb_atom_t known(const QByteArray& name) const;
    // The atom's name, asking the server the first time.
    QByteArray name(xcb_atom_t atom);

private:
    void remember(xcb_atom_t atom, const QByteArray& name);

    xcb_connection_t* const connection_;
    mutable std::mutex mutex_;  // guards both tables; never held over a round trip
    QHash<QByteArray, xcb_atom_t> atoms_;
    QHash<xcb_atom_t, QByteArray> names_;
};
