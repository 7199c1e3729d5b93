#pragma once
// Where the hosted auth service is, the project key it requires, and the address the browser
// returns to after a sign-in.

#include <QString>
#include <QUrl>

class Settings;

struct AuthConfig {
    QUrl baseURL;  // the service's project address; its REST paths are under "auth/v1/"
    QString key;  // the project's public key, sent as the "apikey" header

    // The scheme the application's desktop entry registers for the browser's return.
    static inline const QString callbackScheme = QStringLiteral("quillmarsh");
    static inline const QString callbackHost = QStringLiteral("auth-callback");
    static QUrl callbackURL();
    // Whether the browser handed over this URL to finish a sign-in (scheme in any case).
    static bool isCallback(const QUrl& url);

    // "QUILLMARSH_SUPABASE_URL" and "QUILLMARSH_SUPABASE_KEY", else the application's built-in
    // configuration.
    static AuthConfig load(const Settings& settings);

    // Whether there is a service to sign in with: its address is a full http or https address.
    // Without one nothing may start a sign-in.
    bool isConfigured() const;

    // The address of one REST path, e.g. "token".
    QUrl endpoint(const QString& path) const;
};
