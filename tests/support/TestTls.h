#pragma once
// The certificate of the loopback test servers that speak TLS, as every host not on this computer
// does.

#include <QSslConfiguration>

namespace TestTls {
// The server's side: a certificate for 127.0.0.1, valid for a century, and its key.
QSslConfiguration serverConfiguration();
// The same for a host that isn't who it says: its certificate, for 127.0.0.1 too, is trusted by no one.
QSslConfiguration untrustedServerConfiguration();
// Makes this process's clients trust that certificate as they trust a public authority's.
void trustTheTestServers();
}
