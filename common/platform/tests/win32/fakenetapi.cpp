#include "fakenetapi.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace probe {

namespace {

const wchar_t logVariable[] = L"QUILLON_FAKE_NETAPI_LOG";
const wchar_t statusVariable[] = L"QUILLON_FAKE_NETAPI_STATUS";
const wchar_t refuseVariable[] = L"QUILLON_FAKE_NETAPI_REFUSE";
const wchar_t delayVariable[] = L"QUILLON_FAKE_NETAPI_DELAY";

// The real service must never be reached, and Wine's own netapi32 crashes
// on NetMessageBufferSend.
bool standInIsLoaded()
{
    HMODULE netapi = ::LoadLibraryW(L"netapi32.dll");
    if (!netapi)
        return false;
    const bool ours = ::GetProcAddress(netapi, "QuillonFakeNetapi") != nullptr;
    ::FreeLibrary(netapi);
    return ours;
}

std::string field(const std::string &line, const std::string &name)
{
    const std::string key = " " + name + "=";
    const std::size_t at = (" " + line).find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + key.size() - 1;
    return line.substr(from, line.find(' ', from) - from);
}

} // namespace

FakeNetapi::FakeNetapi()
{
    if (!standInIsLoaded())
        throw std::runtime_error("the stand-in netapi32.dll is not the one loaded: it must lie "
                                 "next to the test and WINEDLLOVERRIDES must hold netapi32=n");
    const std::wstring log = (m_folder.path() / "netapi.log").wstring();
    ::SetEnvironmentVariableW(logVariable, log.c_str());
    ::SetEnvironmentVariableW(statusVariable, nullptr);
    ::SetEnvironmentVariableW(refuseVariable, nullptr);
    ::SetEnvironmentVariableW(delayVariable, nullptr);
}

FakeNetapi::~FakeNetapi()
{
    ::SetEnvironmentVariableW(logVariable, nullptr);
    ::SetEnvironmentVariableW(statusVariable, nullptr);
    ::SetEnvironmentVariableW(refuseVariable, nullptr);
    ::SetEnvironmentVariableW(delayVariable, nullptr);
}

void FakeNetapi::answer(unsigned long status)
{
    ::SetEnvironmentVariableW(statusVariable, std::to_wstring(status).c_str());
}

void FakeNetapi::refuse(const std::u16string &recipient)
{
    ::SetEnvironmentVariableW(
        refuseVariable, std::wstring(recipient.begin(), recipient.end()).c_str());
}

void FakeNetapi::delay(unsigned long milliseconds)
{
    ::SetEnvironmentVariableW(delayVariable, std::to_wstring(milliseconds).c_str());
}

std::vector<NetapiCall> FakeNetapi::calls() const
{
    std::vector<NetapiCall> result;
    std::ifstream log(m_folder.path() / "netapi.log");
    for (std::string line; std::getline(log, line);) {
        NetapiCall call;
        call.serverNull = field(line, "server") == "null";
        call.recipient = field(line, "to");
        call.senderNull = field(line, "from") == "null";
        call.length = std::stoul(field(line, "length"));
        call.buffer = field(line, "buffer");
        call.text = field(line, "text");
        call.terminated = field(line, "terminated") == "yes";
        result.push_back(call);
    }
    return result;
}

std::u16string fromUtf16Hex(const std::string &hex)
{
    std::u16string text;
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) {
        const unsigned low = std::stoul(hex.substr(i, 2), nullptr, 16);
        const unsigned high = std::stoul(hex.substr(i + 2, 2), nullptr, 16);
        text.push_back(static_cast<char16_t>(low | high << 8));
    }
    return text;
}

} // namespace probe
