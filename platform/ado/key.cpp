#include "ado/key.h"

#include "ado.h"
#include "ado/failure.h"

#include <QHash>
#include <QRandomGenerator>
#include <QString>

#include <openssl/evp.h>
#include <openssl/rand.h>

namespace ado::detail {

namespace {
constexpr int kKdfIterations = 64000;
constexpr int kKeySize = 32;
} // namespace

QByteArray DerivedKey(const QByteArray& password, const QByteArray& salt) {
    static QHash<QByteArray, QByteArray> derived;
    const QByteArray id = salt + password; // the salt has a fixed length
    const auto it = derived.constFind(id);
    if (it != derived.cend()) return *it;
    QByteArray key(kKeySize, '\0');
    if (PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                               kKdfIterations, kKeySize, reinterpret_cast<unsigned char*>(key.data())) != 1)
        Fail(adErrProvider, QStringLiteral("Klíč databáze se nepodařilo odvodit."));
    derived.insert(id, key);
    return key;
}

QByteArray RawKeySpec(const QByteArray& key, const QByteArray& salt) {
    return QByteArrayLiteral("x'") + key.toHex() + salt.toHex() + QByteArrayLiteral("'");
}

QByteArray NewSalt() {
    QByteArray salt(kSaltSize, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltSize) != 1)
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltSize / 4);
    return salt;
}

} // namespace ado::detail
