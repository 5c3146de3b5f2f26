// The screenshot of the game page: the save dialog and the page drawn
// whole into a 24-bit BMP file.
#include "VQBrowser/BrowserWnd.h"

#include <commdlg.h>
#include <mshtml.h>
#include <objbase.h>

#include <algorithm>
#include <vector>

#include "VQFlash/DispatchCall.h"
#include "common/ComPtr.h"
#include "common/FileHandle.h"
#include "common/FormatText.h"
#include "ui/ActiveX.h"

namespace Tessar {

namespace {

const WORD kReadOnlyCheckBox = 1040;

UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    // The explorer dialog's hook is a child of the real dialog.
    if (message == WM_INITDIALOG)
        if (HWND box = ::GetDlgItem(::GetParent(dialog), kReadOnlyCheckBox)) ::ShowWindow(box, SW_HIDE);
    return 0;
}

bool AskSavePath(HWND owner, const std::wstring& defaultName, std::wstring& path) {
    wchar_t file[MAX_PATH] = {};
    lstrcpynW(file, defaultName.c_str(), MAX_PATH);
    static const wchar_t kFilter[] = L"BMP Files(*.bmp)\0*.bmp\0All Files\0*.*\0";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = L"另存为";
    dialog.lpstrDefExt = L".BMP";
    // A new file is what a screenshot makes: the file need not exist.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK;
    dialog.lpfnHook = &SaveDialogHook;
    if (!::GetSaveFileNameW(&dialog)) return false;
    path = file;
    return true;
}

VQSnapshotPathPrompt g_prompt = &AskSavePath;

std::wstring NewGuidName() {
    GUID guid = {};
    ::CoCreateGuid(&guid);
    return FormatString(L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2, guid.Data3,
                        guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                        guid.Data4[6], guid.Data4[7]);
}

LONG ReadLong(IDispatch* object, const wchar_t* name) {
    VARIANT value;
    LONG result = 0;
    if (GetDispatchProperty(object, name, &value) && SUCCEEDED(::VariantChangeType(&value, &value, 0, VT_I4)))
        result = value.lVal;
    ::VariantClear(&value);
    return result;
}

// The document's whole page size, or zero when there is no HTML document.
SIZE PageSize(IDispatch* browser, IViewObject** view) {
    SIZE size = {0, 0};
    *view = nullptr;
    VARIANT document;
    if (!GetDispatchProperty(browser, L"Document", &document) || document.vt != VT_DISPATCH ||
        document.pdispVal == nullptr) {
        ::VariantClear(&document);
        return size;
    }
    VQComPtr<IHTMLDocument2> html;
    if (SUCCEEDED(document.pdispVal->QueryInterface(IID_IHTMLDocument2, html.ReceiveVoid())) && html) {
        document.pdispVal->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(view));
        VQComPtr<IHTMLElement> body;
        LONG bodyHeight = 0;
        LONG bodyWidth = 0;
        if (SUCCEEDED(html->get_body(body.Receive())) && body) {
            bodyHeight = ReadLong(body.Get(), L"scrollHeight");
            bodyWidth = ReadLong(body.Get(), L"scrollWidth");
        }
        LONG rootHeight = 0;
        VQComPtr<IHTMLDocument3> html3;
        VQComPtr<IHTMLElement> root;
        if (SUCCEEDED(html->QueryInterface(IID_IHTMLDocument3, html3.ReceiveVoid())) && html3 &&
            SUCCEEDED(html3->get_documentElement(root.Receive())) && root)
            rootHeight = ReadLong(root.Get(), L"scrollHeight");
        size = {bodyWidth, std::max(bodyHeight, rootHeight)};
    }
    ::VariantClear(&document);
    return size;
}

}  // namespace

void SetSnapshotPathPrompt(VQSnapshotPathPrompt prompt) {
    g_prompt = prompt != nullptr ? prompt : &AskSavePath;
}

bool VQBrowserWnd::SaveSnapshot() {
    std::wstring path;
    if (!g_prompt(m_hwnd, NewGuidName(), path) || path.empty()) return false;
    return RenderPageToBmp(path);
}

bool WriteBitmap24(HDC dc, HBITMAP bitmap, int width, int height, const std::wstring& path) {
    if (width <= 0 || height <= 0) return false;
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3) + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    std::vector<unsigned char> pixels(imageBytes);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    if (::GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0)
        return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageBytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, &header, sizeof(header), &written, nullptr) && written == sizeof(header);
    ok = ok && ::WriteFile(file, &info, sizeof(info), &written, nullptr) && written == sizeof(info);
    ok = ok && ::WriteFile(file, pixels.data(), imageBytes, &written, nullptr) && written == imageBytes;
    ::CloseHandle(file);
    if (!ok) ::DeleteFileW(path.c_str());
    return ok;
}

bool VQBrowserWnd::RenderPageToBmp(const std::wstring& path) {
    VQActiveX* control = FindBrowserControl();
    if (control == nullptr || control->GetHostWindow() == nullptr) return false;
    IDispatch* browser = GetBrowser();
    if (browser == nullptr) return false;
    const RECT pos = control->GetPos();
    IViewObject* view = nullptr;
    SIZE page = PageSize(browser, &view);
    browser->Release();
    if (view == nullptr) {
        // No HTML document (a page still loading, another kind of
        // document): the browser object draws what it shows.
        control->GetControl(IID_IViewObject, reinterpret_cast<void**>(&view));
        page = {0, 0};
    }
    if (view == nullptr) return false;
    int width = page.cx > 0 ? page.cx : pos.right - pos.left;
    int height = page.cy > 0 ? page.cy : pos.bottom - pos.top;
    // A page claiming an absurd size must not make us allocate gigabytes.
    width = std::min(width, 8192);
    height = std::min(height, 16384);
    if (width <= 0 || height <= 0) {
        view->Release();
        return false;
    }
    const bool resized = width != pos.right - pos.left || height != pos.bottom - pos.top;
    if (resized) control->SetPos(pos.left, pos.top, pos.left + width, pos.top + height);
    HDC windowDc = ::GetDC(m_hwnd);
    HDC memoryDc = ::CreateCompatibleDC(windowDc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(windowDc, width, height);
    bool ok = false;
    if (memoryDc != nullptr && bitmap != nullptr) {
        HGDIOBJ old = ::SelectObject(memoryDc, bitmap);
        RECT white = {0, 0, width, height};
        ::FillRect(memoryDc, &white, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        RECTL bounds = {0, 0, width, height};
        view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memoryDc, &bounds, nullptr, nullptr, 0);
        ::SelectObject(memoryDc, old);
        ok = WriteBitmap24(memoryDc, bitmap, width, height, path);
    }
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    if (memoryDc != nullptr) ::DeleteDC(memoryDc);
    ::ReleaseDC(m_hwnd, windowDc);
    view->Release();
    if (resized) control->SetPos(pos.left, pos.top, pos.right, pos.bottom);
    return ok;
}

}  // namespace Tessar
