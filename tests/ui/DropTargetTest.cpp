// The drop target against real windows: callbacks called directly with a
// CF_HDROP data object, the registration through OLE, and a whole drag
// driven by DoDragDrop.

#include "ui/DropTarget.h"

#include <gtest/gtest.h>

#include "tests/support/FileDropData.h"
#include "tests/support/PointerParking.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

using Test::VQFileDropData;

// File names of a data object's CF_HDROP, read the way a window would.
std::vector<std::wstring> DroppedFiles(IDataObject* data) {
    std::vector<std::wstring> files;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (data == nullptr || FAILED(data->GetData(&format, &medium)))
        return files;
    auto drop = static_cast<HDROP>(medium.hGlobal);
    UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t name[MAX_PATH] = {};
        ::DragQueryFileW(drop, i, name, MAX_PATH);
        files.push_back(name);
    }
    ::ReleaseStgMedium(&medium);
    return files;
}

// What the window saw of one message.
struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool hadData;
    DWORD keyState;
    DWORD effectIn;
    LONG x, y;
    std::vector<std::wstring> files;
};

// The owner window: records the four messages, answers each with `reply`
// and writes `chosenEffect` through the record.
struct WindowScript {
    LRESULT reply = S_OK;
    DWORD chosenEffect = DROPEFFECT_NONE;
    std::vector<SeenMessage> seen;
};
WindowScript* g_script = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_VQ_DRAGENTER && message <= WM_VQ_DRAGLEAVE && g_script != nullptr) {
        SeenMessage seen = {message, wParam, lParam, false, 0, 0, 0, 0, {}};
        if (message != WM_VQ_DRAGLEAVE) {
            auto* info = reinterpret_cast<VQOleDropInfo*>(wParam);
            seen.hadData = info->dataObject != nullptr;
            seen.keyState = info->keyState;
            seen.effectIn = *info->effect;
            seen.x = info->x;
            seen.y = info->y;
            if (message == WM_VQ_DROP)
                seen.files = DroppedFiles(info->dataObject);
            *info->effect = g_script->chosenEffect;
        }
        g_script->seen.push_back(seen);
        return g_script->reply;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class OwnerWindow {
public:
    // Only a drag through OLE needs the window on screen, under the cursor.
    OwnerWindow(WNDPROC proc, bool visible = false) {
        static const wchar_t* kClasses[] = {L"VQDropOwnerTest", L"VQDropPlainTest"};
        const wchar_t* name = proc == OwnerProc ? kClasses[0] : kClasses[1];
        WNDCLASSW wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        ::RegisterClassW(&wc);
        m_hwnd = ::CreateWindowExW(WS_EX_TOPMOST, name, L"drop", WS_POPUP | (visible ? WS_VISIBLE : 0), 100, 100, 200, 150, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    }
    ~OwnerWindow() {
        if (m_hwnd != nullptr)
            ::DestroyWindow(m_hwnd);
    }
    HWND Handle() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        g_script = &m_script;
    }
    void TearDown() override {
        g_script = nullptr;
        ::OleUninitialize();
    }
    WindowScript m_script;
};

TEST_F(DropTargetTest, QueryInterfaceAnswersOnlyUnknownAndDropTarget) {
    VQDropTargetEx target(nullptr);
    struct Case {
        const char* name;
        const IID* iid;
        HRESULT expected;
    } cases[] = {
        {"IUnknown", &IID_IUnknown, S_OK},
        {"IDropTarget", &IID_IDropTarget, S_OK},
        {"IDropSource", &IID_IDropSource, E_NOINTERFACE},
        {"IDataObject", &IID_IDataObject, E_NOINTERFACE},
        {"IMarshal", &IID_IMarshal, E_NOINTERFACE},
        {"IClassFactory", &IID_IClassFactory, E_NOINTERFACE},
    };
    ULONG refs = 0;
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.expected, target.QueryInterface(*c.iid, &out)) << c.name;
        if (c.expected == S_OK) {
            ++refs;
            EXPECT_EQ(static_cast<IDropTarget*>(&target), out) << c.name;
        } else {
            EXPECT_EQ(nullptr, out) << c.name;
        }
        // Each answered query adds one reference and nothing else does.
        EXPECT_EQ(refs + 1, target.AddRef()) << c.name;
        EXPECT_EQ(refs, target.Release()) << c.name;
    }
}

TEST_F(DropTargetTest, CountGoesUpAndDownAndZeroFreesNothing) {
    VQDropTargetEx target(nullptr);
    EXPECT_EQ(1u, target.AddRef());
    EXPECT_EQ(2u, target.AddRef());
    EXPECT_EQ(1u, target.Release());
    EXPECT_EQ(0u, target.Release());
    // Still alive and usable: the owner frees it, not the count.
    void* out = nullptr;
    EXPECT_EQ(S_OK, target.QueryInterface(IID_IDropTarget, &out));
    EXPECT_EQ(0u, target.Release());
}

TEST_F(DropTargetTest, CallbacksBecomeMessagesWithTheirRecords) {
    OwnerWindow window(OwnerProc);
    ASSERT_NE(nullptr, window.Handle());
    VQDropTargetEx target(window.Handle());
    VQFileDropData data({L"C:\\games\\one.swf", L"D:\\游戏\\two.exe"});
    m_script.reply = S_FALSE;
    m_script.chosenEffect = DROPEFFECT_COPY;

    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(S_FALSE, target.DragEnter(&data, MK_LBUTTON, POINTL{150, 120}, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_FALSE, target.DragOver(MK_LBUTTON | MK_CONTROL, POINTL{-5, 7}, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    m_script.reply = E_UNEXPECTED;
    EXPECT_EQ(E_UNEXPECTED, target.DragLeave());
    m_script.reply = S_OK;
    effect = DROPEFFECT_LINK;
    EXPECT_EQ(S_OK, target.Drop(&data, MK_SHIFT, POINTL{160, 130}, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);

    ASSERT_EQ(4u, m_script.seen.size());
    const SeenMessage& enter = m_script.seen[0];
    EXPECT_EQ(1034u, enter.message);
    EXPECT_TRUE(enter.hadData);
    EXPECT_EQ(static_cast<DWORD>(MK_LBUTTON), enter.keyState);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE), enter.effectIn);
    EXPECT_EQ(150, enter.x);
    EXPECT_EQ(120, enter.y);
    EXPECT_EQ(0, enter.lParam);
    const SeenMessage& over = m_script.seen[1];
    EXPECT_EQ(1035u, over.message);
    EXPECT_FALSE(over.hadData);
    EXPECT_EQ(static_cast<DWORD>(MK_LBUTTON | MK_CONTROL), over.keyState);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), over.effectIn);
    EXPECT_EQ(-5, over.x);
    EXPECT_EQ(7, over.y);
    const SeenMessage& leave = m_script.seen[2];
    EXPECT_EQ(1037u, leave.message);
    EXPECT_EQ(0u, leave.wParam);
    EXPECT_EQ(0, leave.lParam);
    const SeenMessage& drop = m_script.seen[3];
    EXPECT_EQ(1036u, drop.message);
    EXPECT_TRUE(drop.hadData);
    EXPECT_EQ(static_cast<DWORD>(MK_SHIFT), drop.keyState);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_LINK), drop.effectIn);
    EXPECT_EQ(160, drop.x);
    EXPECT_EQ(130, drop.y);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\games\\one.swf", L"D:\\游戏\\two.exe"}), drop.files);
    // The record does not hold on to the data object.
    EXPECT_EQ(1, data.RefCount());
}

TEST_F(DropTargetTest, WindowThatIgnoresTheMessagesLeavesOkAndTheEffect) {
    OwnerWindow window(::DefWindowProcW);
    ASSERT_NE(nullptr, window.Handle());
    VQDropTargetEx target(window.Handle());
    VQFileDropData data({L"C:\\a.swf"});
    struct Case {
        const char* name;
        int call;
    } cases[] = {{"enter", 0}, {"over", 1}, {"drop", 2}, {"leave", 3}};
    for (const auto& c : cases) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
        HRESULT hr = E_FAIL;
        switch (c.call) {
        case 0: hr = target.DragEnter(&data, MK_LBUTTON, POINTL{1, 2}, &effect); break;
        case 1: hr = target.DragOver(MK_LBUTTON, POINTL{1, 2}, &effect); break;
        case 2: hr = target.Drop(&data, 0, POINTL{1, 2}, &effect); break;
        default: hr = target.DragLeave(); break;
        }
        EXPECT_EQ(S_OK, hr) << c.name;
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK), effect) << c.name;
    }
}

TEST_F(DropTargetTest, RegistrationHoldsReferencesUntilRevoked) {
    OwnerWindow window(OwnerProc);
    ASSERT_NE(nullptr, window.Handle());
    VQDropTargetEx target(window.Handle());
    ASSERT_EQ(S_OK, ::RegisterDragDrop(window.Handle(), &target));
    ULONG whileRegistered = target.AddRef() - 1;
    target.Release();
    EXPECT_GT(whileRegistered, 0u);
    EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, ::RegisterDragDrop(window.Handle(), &target));
    ASSERT_EQ(S_OK, ::RevokeDragDrop(window.Handle()));
    EXPECT_EQ(1u, target.AddRef());
    EXPECT_EQ(0u, target.Release());
}

// Drops as soon as the drag has entered a window.
class DropAfterEnter : public IDropSource {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *ppv = static_cast<IDropSource*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD) override {
        if (escape || ++m_calls > 50)
            return DRAGDROP_S_CANCEL;
        return (g_script != nullptr && !g_script->seen.empty()) ? DRAGDROP_S_DROP : S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int m_calls = 0;
};

TEST_F(DropTargetTest, RegisteredWindowReceivesAWholeDrag) {
    OwnerWindow window(OwnerProc, true);
    ASSERT_NE(nullptr, window.Handle());
    VQDropTargetEx target(window.Handle());
    ASSERT_EQ(S_OK, ::RegisterDragDrop(window.Handle(), &target));
    RECT rc = {};
    ::GetWindowRect(window.Handle(), &rc);
    POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    // The display's one pointer is shared with the other window tests, which
    // post their mouse input: it goes back to its parking place afterwards.
    struct PointerRestore {
        ~PointerRestore() { Tessar::Test::VQPointerParking::Park(); }
    } restore;
    ::SetCursorPos(centre.x, centre.y);
    m_script.chosenEffect = DROPEFFECT_COPY;

    VQFileDropData data({L"Z:\\tmp\\game.swf"});
    DropAfterEnter source;
    DWORD effect = DROPEFFECT_NONE;
    HRESULT hr = ::DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    ::RevokeDragDrop(window.Handle());

    EXPECT_EQ(DRAGDROP_S_DROP, hr);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    ASSERT_GE(m_script.seen.size(), 2u);
    EXPECT_EQ(1034u, m_script.seen.front().message);
    EXPECT_TRUE(m_script.seen.front().hadData);
    EXPECT_EQ(centre.x, m_script.seen.front().x);
    EXPECT_EQ(centre.y, m_script.seen.front().y);
    EXPECT_EQ(1036u, m_script.seen.back().message);
    EXPECT_EQ((std::vector<std::wstring>{L"Z:\\tmp\\game.swf"}), m_script.seen.back().files);
}

}  // namespace
}  // namespace Tessar
