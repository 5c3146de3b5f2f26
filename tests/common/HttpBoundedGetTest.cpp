// The GET with an overall time limit and a stop, against the local update
// server (tests/support/servers/update_server.py) misbehaving on purpose:
// a reply or a head sent a byte a second never holds the caller past its
// limit or its stop.
#include "common/HttpBoundedGet.h"

#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Tessar {
namespace {

const char* ResultName(VQBoundedGetResult result) {
    switch (result) {
    case VQBoundedGetResult::Done: return "done";
    case VQBoundedGetResult::Failed: return "failed";
    case VQBoundedGetResult::Stopped: return "stopped";
    case VQBoundedGetResult::TimedOut: return "timed out";
    }
    return "?";
}

class HttpBoundedGetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root.reset(new VQTempFolder);
        s_server.reset(new Tessar::Test::VQUpdateServer);
        s_ready = !s_root->Path().empty() && s_root->WriteFile(L"reply.txt", std::string(40, 'r')) &&
                  s_server->Start(s_root->Path());
    }
    static void TearDownTestSuite() {
        s_server.reset();
        s_root.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_ready) << "update server did not start"; }

    static std::unique_ptr<VQTempFolder> s_root;
    static std::unique_ptr<Tessar::Test::VQUpdateServer> s_server;
    static bool s_ready;
};

std::unique_ptr<VQTempFolder> HttpBoundedGetTest::s_root;
std::unique_ptr<Tessar::Test::VQUpdateServer> HttpBoundedGetTest::s_server;
bool HttpBoundedGetTest::s_ready = false;

TEST_F(HttpBoundedGetTest, EveryReplyEndsByItsLimitOrItsStop) {
    // The 40-byte reply at a byte a second would take 40 s.
    const std::wstring reply = L"/files/reply.txt";
    struct Case {
        const char* name;
        std::wstring url;
        DWORD stopAfterMs;  // 0: never asked to stop
        VQBoundedGetResult result;
        DWORD atLeastMs;
        DWORD beforeMs;
    };
    const Case cases[] = {
        {"a whole reply", s_server->Url(reply), 0, VQBoundedGetResult::Done, 0, 2000},
        {"a reply dripping", s_server->Fault(L"drip-1000", reply), 0, VQBoundedGetResult::TimedOut, 2000, 3000},
        {"a head dripping", s_server->Fault(L"driphead-1000", reply), 0, VQBoundedGetResult::TimedOut, 2000, 3000},
        {"a reply dripping, stopped", s_server->Fault(L"drip-1000", reply), 500, VQBoundedGetResult::Stopped, 500,
         1500},
        {"a head dripping, stopped", s_server->Fault(L"driphead-1000", reply), 500, VQBoundedGetResult::Stopped, 500,
         1500},
        {"a redirect to itself", s_server->Fault(L"redirect-self", reply), 0, VQBoundedGetResult::Failed, 0, 2000},
        {"a status 404", s_server->Fault(L"status-404", reply), 0, VQBoundedGetResult::Failed, 0, 2000},
    };
    for (const Case& c : cases) {
        VQHttpGetLimits limits;
        limits.totalMs = 2000;
        const DWORD start = GetTickCount();
        if (c.stopAfterMs != 0) {
            const DWORD stopAt = c.stopAfterMs;
            limits.stopRequested = [start, stopAt] { return GetTickCount() - start >= stopAt; };
        }
        VQBuffer<unsigned char> buffer(8);
        uint32_t length = 0;
        const VQBoundedGetResult result = HttpGetToMemoryBounded(c.url, limits, buffer, length);
        const DWORD took = GetTickCount() - start;
        EXPECT_STREQ(ResultName(c.result), ResultName(result)) << c.name;
        EXPECT_GE(took, c.atLeastMs) << c.name;
        EXPECT_LT(took, c.beforeMs) << c.name;
        if (result == VQBoundedGetResult::Done) {
            ASSERT_EQ(40u, length) << c.name;
            EXPECT_EQ(std::string(40, 'r'), std::string(reinterpret_cast<char*>(buffer.data), length)) << c.name;
            EXPECT_EQ(0, buffer.data[length]) << c.name;
        } else {
            EXPECT_EQ(nullptr, buffer.data) << c.name;
            EXPECT_EQ(0u, length) << c.name;
        }
    }
}

}  // namespace
}  // namespace Tessar
