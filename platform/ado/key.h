#pragma once
// The page key of a file: derived from the password and the file's salt
// (SQLCipher 3's PBKDF2-HMAC-SHA1, 64 000 rounds), handed to SQLCipher in its
// raw form so that it derives nothing itself.
#include <QByteArray>

namespace ado::detail {

constexpr int kSaltSize = 16; // at the start of the file

// About 50 ms the first time for a password and salt, nothing after.
QByteArray DerivedKey(const QByteArray& password, const QByteArray& salt);
// SQLCipher's raw key with its salt: x'<key><salt>'.
QByteArray RawKeySpec(const QByteArray& key, const QByteArray& salt);
QByteArray NewSalt();

} // namespace ado::detail
