/* A netapi32.dll that loads but has no NetMessageBufferSend, for the case of
 * a system whose netapi32 lacks the Messenger functions. */
#include <windows.h>

DWORD WINAPI NetApiBufferFree(LPVOID buffer)
{
    (void)buffer;
    return 0;
}
