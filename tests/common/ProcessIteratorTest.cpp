#include "common/ProcessIterator.h"

#include "common/TextUtil.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

namespace Tessar {
namespace {

TEST(ProcessEntryTest, RecordIsZeroedWithItsSizeSet) {
    VQProcessEntry record;
    EXPECT_EQ(sizeof(PROCESSENTRY32W), record.entry.dwSize);
    EXPECT_EQ(0u, record.entry.th32ProcessID);
    EXPECT_EQ(L'\0', record.entry.szExeFile[0]);
}

TEST(ProcessIteratorTest, WalkFindsThisProcessAndItsImagePath) {
    ProcessIterator processes(TH32CS_SNAPPROCESS, ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    boost::shared_ptr<VQProcessEntry> entry = boost::make_shared<VQProcessEntry>();
    bool found = false;
    size_t count = 0;
    for (bool more = processes.First(entry); more; more = processes.Next(entry)) {
        ++count;
        if (entry->entry.th32ProcessID == ::GetCurrentProcessId()) {
            found = true;
            break;
        }
    }
    EXPECT_GT(count, 0u);
    ASSERT_TRUE(found);

    wchar_t own[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path;
    ASSERT_TRUE(GetProcessImagePath(*entry, path));
    EXPECT_EQ(0, CompareNoCase(own, path, MAX_PATH)) << "image path of this process: " << testing::PrintToString(path);
}

TEST(ProcessIteratorTest, WalkNeedsAProcessSnapshotAndAnEntry) {
    boost::shared_ptr<VQProcessEntry> entry = boost::make_shared<VQProcessEntry>();
    ProcessIterator none;
    EXPECT_FALSE(none.First(entry));
    EXPECT_FALSE(none.Next(entry));

    ProcessIterator threads(TH32CS_SNAPTHREAD, ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    EXPECT_FALSE(threads.First(entry)) << "flags without TH32CS_SNAPPROCESS";

    ProcessIterator processes(TH32CS_SNAPPROCESS, ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    EXPECT_FALSE(processes.First(boost::shared_ptr<VQProcessEntry>()));
    EXPECT_TRUE(processes.First(entry));
    processes.Close();
    EXPECT_FALSE(processes.Next(entry)) << "closed snapshot";
    processes.Close();
}

TEST(ProcessIteratorTest, ImagePathOfAMissingProcessFails) {
    VQProcessEntry record;
    record.entry.th32ProcessID = 0x7FFFFFF8;
    std::wstring path = L"unchanged";
    EXPECT_FALSE(GetProcessImagePath(record, path));
    EXPECT_EQ(L"unchanged", path);
}

}  // namespace
}  // namespace Tessar
