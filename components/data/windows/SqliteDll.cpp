// The DLL that holds the one copy of SQLCipher in a process on Windows; its
// contents come whole from the static archive (see CMakeLists.txt).
#include <openssl/crypto.h>

namespace {

// SQLCipher's OpenSSL is this DLL's own copy. Left to itself it frees its
// state in an exit handler while a sending thread may still encrypt pages,
// as the data library's copy would (engine/Key.cpp): it stays until the
// process is gone. Only the first initialisation can ask for that, so it
// happens when the DLL loads.
struct KeepOpenSslUntilTheEnd {
    KeepOpenSslUntilTheEnd() { OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr); }
} const g_keepOpenSsl;

}  // namespace
