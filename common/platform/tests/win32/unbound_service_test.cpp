// BroadcastMessage where NetMessageBufferSend cannot be bound: built next to a
// netapi32.dll without that entry point, and run once as it is and once with
// netapi32 disabled in Wine, so that LoadLibrary itself fails.  The binding
// happens at the first send, hence a program of its own.
#include "platform.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Which of the two cases this run stands for, found out the way the layer
// itself will find it (a second look-up gives the same answer).
enum class Missing { Nothing, EntryPoint, Library };

Missing whatIsMissing()
{
    HMODULE netapi = ::LoadLibraryW(L"netapi32.dll");
    if (!netapi)
        return Missing::Library;
    const bool hasEntry = ::GetProcAddress(netapi, "NetMessageBufferSend") != nullptr;
    ::FreeLibrary(netapi);
    return hasEntry ? Missing::Nothing : Missing::EntryPoint;
}

TEST(UnboundServiceTest, EntryPointMissing)
{
    if (whatIsMissing() != Missing::EntryPoint)
        GTEST_SKIP() << "netapi32.dll here is not the one without NetMessageBufferSend";
    EXPECT_FALSE(BroadcastMessage(u"PC01", u"", u"Hello"));
    EXPECT_FALSE(BroadcastMessage(u"PC01", u"", u"Hello again"));
}

TEST(UnboundServiceTest, LibraryMissing)
{
    if (whatIsMissing() != Missing::Library)
        GTEST_SKIP() << "netapi32.dll can be loaded here";
    EXPECT_FALSE(BroadcastMessage(u"PC01", u"", u"Hello"));
    EXPECT_FALSE(BroadcastMessage(u"PC01", u"", u"Hello again"));
}

} // namespace
