/* A stand-in netapi32.dll: records what NetMessageBufferSend was handed and
 * answers with a chosen status, so that the Win32 layer can be tested where
 * no Messenger service exists (Wine has none).
 *
 * QUILLON_FAKE_NETAPI_LOG     file that gets one line per call
 * QUILLON_FAKE_NETAPI_STATUS  the status to answer (decimal), 0 if unset
 * QUILLON_FAKE_NETAPI_REFUSE  a recipient answered with NERR_NameNotFound
 *                             (2273) whatever the status says
 * QUILLON_FAKE_NETAPI_DELAY   milliseconds each call takes, as a service
 *                             that waits for its receiver
 *
 * Calls may come from several threads at once: each is logged whole, on a
 * line of its own, and the delays overlap.
 *
 * Wine loads it in place of its own netapi32 only with netapi32=n in
 * WINEDLLOVERRIDES and the DLL next to the program. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void appendHex(char *out, size_t *used, size_t size, const BYTE *bytes, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < count && *used + 2 < size; ++i) {
        out[(*used)++] = digits[bytes[i] >> 4];
        out[(*used)++] = digits[bytes[i] & 15];
    }
    out[*used] = '\0';
}

static void appendText(char *out, size_t *used, size_t size, const char *text)
{
    const int n = snprintf(out + *used, size - *used, "%s", text);
    if (n > 0)
        *used += (size_t)n < size - *used ? (size_t)n : size - *used - 1;
}

/* Only the units the length covers, rounded up to whole units, are read
 * while looking for the terminator. */
static size_t unitsBeforeTerminator(const WCHAR *text, size_t limit, BOOL *terminated)
{
    size_t n = 0;
    while (n < limit && text[n] != 0)
        ++n;
    *terminated = n < limit;
    return n;
}

static CRITICAL_SECTION logLock;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        InitializeCriticalSection(&logLock);
    return TRUE;
}

static void logCall(
    LPCWSTR servername, LPCWSTR msgname, LPCWSTR fromname, const BYTE *buf, DWORD buflen)
{
    WCHAR path[MAX_PATH];
    const DWORD pathLength = GetEnvironmentVariableW(L"QUILLON_FAKE_NETAPI_LOG", path, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH)
        return;

    enum { lineSize = 65536 };
    char *line = (char *)HeapAlloc(GetProcessHeap(), 0, lineSize);
    if (!line)
        return;
    size_t used = 0;
    char number[32];
    BOOL terminated = FALSE;

    appendText(line, &used, lineSize, servername ? "server=set" : "server=null");
    appendText(line, &used, lineSize, " to=");
    if (msgname)
        appendHex(line, &used, lineSize, (const BYTE *)msgname, 2 * wcslen(msgname));
    appendText(line, &used, lineSize, fromname ? " from=set" : " from=null");
    snprintf(number, sizeof number, " length=%lu", (unsigned long)buflen);
    appendText(line, &used, lineSize, number);
    appendText(line, &used, lineSize, " buffer=");
    if (buf) {
        appendHex(line, &used, lineSize, buf, buflen);
        const size_t units
            = unitsBeforeTerminator((const WCHAR *)buf, (buflen + 1) / 2, &terminated);
        appendText(line, &used, lineSize, " text=");
        appendHex(line, &used, lineSize, buf, 2 * units);
    } else {
        appendText(line, &used, lineSize, " text=");
    }
    appendText(line, &used, lineSize, terminated ? " terminated=yes\n" : " terminated=no\n");

    EnterCriticalSection(&logLock);
    HANDLE file = CreateFileW(
        path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, (DWORD)used, &written, NULL);
        CloseHandle(file);
    }
    LeaveCriticalSection(&logLock);
    HeapFree(GetProcessHeap(), 0, line);
}

DWORD WINAPI NetMessageBufferSend(
    LPCWSTR servername, LPCWSTR msgname, LPCWSTR fromname, LPBYTE buf, DWORD buflen)
{
    logCall(servername, msgname, fromname, buf, buflen);

    WCHAR delay[32];
    const DWORD delayLength = GetEnvironmentVariableW(L"QUILLON_FAKE_NETAPI_DELAY", delay, 32);
    if (delayLength > 0 && delayLength < 32)
        Sleep((DWORD)wcstoul(delay, NULL, 10));

    WCHAR refused[256];
    const DWORD refusedLength
        = GetEnvironmentVariableW(L"QUILLON_FAKE_NETAPI_REFUSE", refused, 256);
    if (refusedLength > 0 && refusedLength < 256 && msgname && wcscmp(msgname, refused) == 0)
        return 2273;

    WCHAR status[32];
    const DWORD n = GetEnvironmentVariableW(L"QUILLON_FAKE_NETAPI_STATUS", status, 32);
    return n == 0 || n >= 32 ? 0 : (DWORD)wcstoul(status, NULL, 10);
}

/* Lets the tests make sure that this DLL, not Wine's own, is the one loaded. */
DWORD WINAPI QuillonFakeNetapi(void)
{
    return 1;
}
