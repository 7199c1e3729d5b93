#pragma once
// The proof that the browser's sign-in and the code exchange come from the same installation: a
// secret verifier kept on this computer and its SHA-256 challenge, which travels with the
// sign-in request.

#include <QString>

struct PKCE {
    QString verifier;  // 43 characters of base64url from the system's secure random source
    QString challenge;  // base64url of the verifier's SHA-256, without padding

    static PKCE make();
    static QString challengeFor(const QString& verifier);
};
