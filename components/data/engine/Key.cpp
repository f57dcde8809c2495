#include "components/data/engine/Key.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <fstream>
#include <map>
#include <mutex>
#include <utility>

#include "contracts/base/NeverDestroyed.h"
#include "contracts/platform/FilePath.h"

namespace Dmg::engine {
namespace {

// OpenSSL frees its state in an exit handler of its own, while a sending or
// log thread may still derive a key or encrypt pages: it stays until the
// process is gone. Only OpenSSL's first initialisation in a process can ask
// for that, hence at load time of the data library (the network library's
// Base64 keeps no OpenSSL state).
struct KeepOpenSslUntilTheEnd {
    KeepOpenSslUntilTheEnd() { OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr); }
} const g_keepOpenSsl;

// The derivation of the cipher's 3.x format: PBKDF2-HMAC-SHA1, 64000
// rounds, 32-byte key.
constexpr int kRounds = 64000;
constexpr int kKeyBytes = 32;

std::string hex(const std::string& bytes) {
    constexpr const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string derive(const std::string& password, const std::string& salt) {
    std::string key(kKeyBytes, '\0');
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()),
                      static_cast<int>(salt.size()), kRounds, EVP_sha1(), kKeyBytes,
                      reinterpret_cast<unsigned char*>(key.data()));
    return key;
}

}  // namespace

std::string rawKey(const std::string& password, const std::string& salt) {
    struct Cache {
        std::mutex mutex;
        // Derived keys by (password, salt); any thread opening a file, under mutex.
        std::map<std::pair<std::string, std::string>, std::string> keys;
    };
    static Base::NeverDestroyed<Cache> cache;
    const std::lock_guard<std::mutex> lock(cache.get().mutex);
    auto& key = cache.get().keys[{password, salt}];
    if (key.empty()) key = derive(password, salt);
    return "x'" + hex(key) + hex(salt) + "'";
}

std::string newSalt() {
    std::string salt(kSaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltBytes) != 1) return {};
    return salt;
}

bool readSalt(const std::string& path, std::string& salt) {
    std::ifstream in(Platform::filePath(path), std::ios::binary);
    salt.assign(kSaltBytes, '\0');
    return static_cast<bool>(in.read(salt.data(), kSaltBytes));
}

}  // namespace Dmg::engine
