#include "common/KernelHandle.h"
#include "common/Module.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(ModuleTest, LoadFreeAndKeepOnFailure) {
    VQModule module;
    EXPECT_EQ(nullptr, module.Get());
    EXPECT_EQ(nullptr, module.GetFunction("GetTickCount"));
    ASSERT_TRUE(module.Load(L"kernel32.dll"));
    HMODULE kernel = module.Get();
    ASSERT_NE(nullptr, kernel);
    EXPECT_NE(nullptr, module.GetFunction("GetTickCount"));
    EXPECT_EQ(nullptr, module.GetFunction("NoSuchExportAnywhere"));

    EXPECT_FALSE(module.Load(L"no-such-library-here.dll"));
    EXPECT_EQ(kernel, module.Get());

    ASSERT_TRUE(module.Load(L"version.dll"));
    EXPECT_NE(kernel, module.Get());
    module.Free();
    EXPECT_EQ(nullptr, module.Get());
    module.Free();
}

TEST(KernelHandleTest, CloseKernelHandleClearsOrReports) {
    HANDLE none = nullptr;
    EXPECT_EQ(0u, CloseKernelHandle(none));
    EXPECT_EQ(nullptr, none);

    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, event);
    HANDLE copy = event;
    EXPECT_EQ(0u, CloseKernelHandle(event));
    EXPECT_EQ(nullptr, event);
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(copy, &flags));

    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFC));
    EXPECT_NE(0u, CloseKernelHandle(bogus));
    EXPECT_EQ(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFC)), bogus);
}

TEST(KernelHandleTest, HolderClosesOnResetAndDestruction) {
    HANDLE first = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD flags = 0;
    {
        VQKernelHandle holder(first);
        EXPECT_TRUE(holder.IsValid());
        holder.Reset(second);
        EXPECT_FALSE(::GetHandleInformation(first, &flags));
        EXPECT_TRUE(::GetHandleInformation(second, &flags));
    }
    EXPECT_FALSE(::GetHandleInformation(second, &flags));

    HANDLE third = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    VQKernelHandle holder(third);
    EXPECT_EQ(third, holder.Release());
    EXPECT_FALSE(holder.IsValid());
    EXPECT_TRUE(::GetHandleInformation(third, &flags));
    ::CloseHandle(third);
}

}  // namespace
}  // namespace Tessar
