/* A stand-in advapi32.dll with the three event-log functions that the Win32
 * platform layer binds: it records each call, so that what the layer logs
 * can be checked under Wine, whose own ReportEventW only traces.
 *
 * QUILLON_FAKE_EVENTLOG_LOG  file that gets one line per call, in UTF-8:
 *   register source=<name>
 *   report type=<type> id=<event id> text=<the strings, joined by "|">
 *   deregister
 *
 * Wine loads it in place of its own advapi32 only with advapi32=n in
 * WINEDLLOVERRIDES and the DLL next to the program. */
/* This DLL defines advapi32's functions: they are not imported here. */
#define _ADVAPI32_
#include <windows.h>

#include <stdio.h>

static HANDLE const source = (HANDLE)(ULONG_PTR)0x51ab;

static void appendUtf8(char *out, size_t *used, size_t size, const WCHAR *text)
{
    if (!text || *used + 1 >= size)
        return;
    const int n
        = WideCharToMultiByte(CP_UTF8, 0, text, -1, out + *used, (int)(size - *used), NULL, NULL);
    if (n > 0)
        *used += (size_t)n - 1; /* without the terminator */
    out[*used] = '\0';
}

static void appendText(char *out, size_t *used, size_t size, const char *text)
{
    const int n = snprintf(out + *used, size - *used, "%s", text);
    if (n > 0)
        *used += (size_t)n < size - *used ? (size_t)n : size - *used - 1;
}

static void logLine(const char *line, size_t length)
{
    WCHAR path[MAX_PATH];
    const DWORD pathLength = GetEnvironmentVariableW(L"QUILLON_FAKE_EVENTLOG_LOG", path, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH)
        return;
    HANDLE file = CreateFileW(
        path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)length, &written, NULL);
    CloseHandle(file);
}

HANDLE WINAPI RegisterEventSourceW(LPCWSTR server, LPCWSTR name)
{
    static char line[4096];
    size_t used = 0;
    appendText(
        line, &used, sizeof line, server ? "register server=set source=" : "register source=");
    appendUtf8(line, &used, sizeof line, name);
    appendText(line, &used, sizeof line, "\n");
    logLine(line, used);
    return source;
}

BOOL WINAPI ReportEventW(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count,
    DWORD dataSize, LPCWSTR *strings, LPVOID data)
{
    (void)category;
    (void)user;
    (void)dataSize;
    (void)data;
    if (log != source)
        return FALSE;
    static char line[65536];
    size_t used = 0;
    char number[64];
    snprintf(
        number, sizeof number, "report type=%u id=%lu text=", (unsigned)type, (unsigned long)id);
    appendText(line, &used, sizeof line, number);
    for (WORD i = 0; i < count && strings; ++i) {
        if (i > 0)
            appendText(line, &used, sizeof line, "|");
        appendUtf8(line, &used, sizeof line, strings[i]);
    }
    appendText(line, &used, sizeof line, "\n");
    logLine(line, used);
    return TRUE;
}

BOOL WINAPI DeregisterEventSource(HANDLE log)
{
    if (log != source)
        return FALSE;
    logLine("deregister\n", 11);
    return TRUE;
}

/* RtlGenRandom, which Wine's msvcrt imports from here for rand_s (and so
 * std::random_device): random enough for the names of test folders. */
BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length)
{
    static ULONG64 state;
    if (state == 0) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        state = (ULONG64)now.QuadPart ^ ((ULONG64)GetCurrentProcessId() << 32)
            ^ 0x9e3779b97f4a7c15ULL;
    }
    BYTE *bytes = (BYTE *)buffer;
    for (ULONG i = 0; i < length; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        bytes[i] = (BYTE)state;
    }
    return TRUE;
}

/* Lets the tests make sure that this DLL, not Wine's own, is the one loaded. */
DWORD WINAPI QuillonFakeEventLog(void)
{
    return 1;
}
