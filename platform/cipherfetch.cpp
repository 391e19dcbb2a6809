// SQLCipher 3 asks OpenSSL for its digest and cipher by the legacy calls
// (EVP_sha1(), EVP_get_cipherbyname()). OpenSSL 3 then looks the algorithm up
// in its provider store again at every page, under a lock all reading
// threads share: about a tenth of a large read. The link routes those two
// calls here (-Wl,--wrap), and they hand out the same algorithms from the
// default provider, fetched once for the life of the program.
#include <openssl/evp.h>

#include <map>
#include <mutex>
#include <string>

extern "C" {

const EVP_MD* __real_EVP_sha1(void);
const EVP_CIPHER* __real_EVP_get_cipherbyname(const char* name);

const EVP_MD* __wrap_EVP_sha1(void) {
    static const EVP_MD* const sha1 = [] {
        const EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA1", nullptr);
        return fetched ? fetched : __real_EVP_sha1();
    }();
    return sha1;
}

const EVP_CIPHER* __wrap_EVP_get_cipherbyname(const char* name) {
    if (!name) return __real_EVP_get_cipherbyname(name);
    static std::mutex guard;
    static std::map<std::string, const EVP_CIPHER*> fetched;
    const std::lock_guard<std::mutex> lock(guard);
    const auto known = fetched.find(name);
    if (known != fetched.end()) return known->second;
    // A cipher only the legacy table knows stays the legacy one.
    const EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
    if (!cipher) cipher = __real_EVP_get_cipherbyname(name);
    if (cipher) fetched.emplace(name, cipher);
    return cipher;
}

} // extern "C"
