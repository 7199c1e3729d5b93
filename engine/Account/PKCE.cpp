#include "Account/PKCE.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace {

QString base64url(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

}

PKCE PKCE::make()
{
    std::array<quint32, 8> words{};  // 32 bytes: 256 bits of secret
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QString verifier =
        base64url(QByteArray(reinterpret_cast<const char*>(words.data()), static_cast<qsizetype>(sizeof(words))));
    return PKCE{verifier, challengeFor(verifier)};
}

QString PKCE::challengeFor(const QString& verifier)
{
    return base64url(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256));
}
