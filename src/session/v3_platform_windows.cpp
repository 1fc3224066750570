#include "session/v3_platform.h"

#include <winsock2.h>
#include <windows.h>

#include <openssl/crypto.h>

namespace {

const WORD kWinsockVersion = MAKEWORD(2, 2);

}  // namespace

// Net-SNMP calls Winsock itself (the host name for its engine ID when it
// starts, address look-ups) but never starts it; Winsock counts starts.
void pms_v3_sockets_start() {
    WSADATA data;
    WSAStartup(kWinsockVersion, &data);
}

void pms_v3_sockets_stop() { WSACleanup(); }

// OpenSSL's own atexit handler would run after the DLL is gone; clean it up
// while the code is still mapped.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) return OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
    if (reason == DLL_PROCESS_DETACH) OPENSSL_cleanup();
    return TRUE;
}
