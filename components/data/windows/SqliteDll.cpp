// The DLL that holds the one copy of SQLCipher in a process on Windows; its
// contents come whole from the static archive (see CMakeLists.txt).
