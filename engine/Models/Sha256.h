#pragma once
// A SHA-256 digest fed piece by piece, so files of any size are hashed while they stream past.
// Runs on the processor's SHA instructions where there are any: a model of several gigabytes is
// hashed twice per install (while copying and when verifying).

#include <QByteArrayView>
#include <QString>

#include <memory>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(QByteArrayView bytes);
    // 64 lower-case hexadecimal digits. Ends the digest: nothing may be added afterwards.
    QString hexDigest();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};
