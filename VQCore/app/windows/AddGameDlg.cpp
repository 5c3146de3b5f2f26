#include "VQCore/app/windows/AddGameDlg.h"

#include <commdlg.h>
#include <objbase.h>

#include <cwchar>
#include <vector>

#include "VQCore/app/start/ControlFactory.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameRecord.h"
#include "VQCore/gamelib/ScanGame.h"
#include "common/CodePage.h"
#include "common/IconExtractor.h"
#include "common/PathText.h"
#include "common/Shortcut.h"
#include "common/SystemLibrary.h"
#include "common/Thread.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

enum : int {
    kCloseId = 100,
    kPathId = 107,
    kBrowseId = 108,
    kNameId = 110,
    kOkId = 111,
    kCancelId = 112,
    kArgumentsId = 118,
    kIconId = 119,
};

enum : UINT { kTextFilter = 1158, kTextChooseFile = 1159 };
const int kAddedGamePicture = 249;
const int kReadOnlyBox = 1040;

bool EndsWithNoCase(const std::wstring& text, const wchar_t* tail) {
    const size_t length = std::wcslen(tail);
    return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, tail) == 0;
}

// The last part of the program's folder.
std::wstring FolderName(const std::wstring& programPath) {
    std::wstring folder = programPath.substr(0, programPath.find_last_of(L"\\/") == std::wstring::npos
                                                    ? 0
                                                    : programPath.find_last_of(L"\\/"));
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? folder : folder.substr(slash + 1);
}

UINT_PTR CALLBACK OpenFileHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        // The hook's window is a child of the dialog's frame.
        HWND frame = ::GetParent(dialog);
        RECT rc = {}, work = {};
        ::GetWindowRect(frame, &rc);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int x = work.left + ((work.right - work.left) - (rc.right - rc.left)) / 2;
        const int y = work.top + ((work.bottom - work.top) - (rc.bottom - rc.top)) / 2;
        ::SetWindowPos(frame, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (HWND readOnly = ::GetDlgItem(frame, kReadOnlyBox)) ::ShowWindow(readOnly, SW_HIDE);
    }
    return 0;
}

}  // namespace

bool HasChineseCharacters(const std::wstring& text) {
    const std::string narrow = WideToNarrow(text);
    for (size_t i = 0; i + 1 < narrow.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(narrow[i]);
        const unsigned char trail = static_cast<unsigned char>(narrow[i + 1]);
        if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) return true;
        if (lead >= 0x80) ++i;  // the trail byte of another pair
    }
    return false;
}

VQResolvedProgram ResolveProgramFile(const std::wstring& path) {
    VQResolvedProgram program;
    const std::wstring extension = GetFileExtension(path);
    if (_wcsicmp(extension.c_str(), L".exe") == 0) {
        program.path = path;
        program.name = GetFileTitle(path);
    } else if (_wcsicmp(extension.c_str(), L".lnk") == 0) {
        std::wstring target;
        uint32_t attributes = 0;
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const bool read = ReadShortcutTarget(path, target, attributes, program.workingFolder, program.arguments);
        if (SUCCEEDED(com)) ::CoUninitialize();
        if (!read || !EndsWithNoCase(target, L".exe")) return VQResolvedProgram();
        program.path = target;
        const std::wstring ownTitle = GetFileTitle(path);
        program.name = HasChineseCharacters(ownTitle) ? ownTitle : GetFileTitle(target);
    } else {
        return program;
    }
    if (!HasChineseCharacters(program.name)) {
        const std::wstring folder = FolderName(program.path);
        if (HasChineseCharacters(folder)) program.name = folder;
    }
    program.accepted = true;
    return program;
}

VQAddGameDlg::VQAddGameDlg(HWND owner, const std::wstring& path) {
    CreateDialogWindow(owner, GetWindowTextString(owner), kDialogStyle, WS_EX_DLGMODALFRAME);
    SetFile(path);
}

VQAddGameDlg::~VQAddGameDlg() {
    // A look-up still running ends on its own, with its own record.
    ReleaseTempFile(m_iconFile);
}

bool VQAddGameDlg::SetFile(const std::wstring& path) {
    const VQResolvedProgram program = ResolveProgramFile(path);
    m_accepted = program.accepted;
    if (!m_accepted) return false;
    m_name = program.name;
    m_path = program.path;
    m_arguments = program.arguments;
    m_workingFolder = program.workingFolder;
    RefreshIcon();
    SetControlText(kNameId, m_name);
    SetControlText(kPathId, m_path);
    SetControlText(kArgumentsId, m_arguments);
    StartLookUp();
    return true;
}

void VQAddGameDlg::RefreshIcon() {
    ReleaseTempFile(m_iconFile);
    m_iconWritten = false;
    std::wstring iconPath;
    if (CreateTempFile(m_iconFile, iconPath)) {
        IconExtractor extractor(m_path);
        m_iconWritten = extractor.ExtractIconGroup(iconPath);
    }
    HICON icon = m_iconWritten ? static_cast<HICON>(::LoadImageW(nullptr, iconPath.c_str(), IMAGE_ICON, 32, 32,
                                                                 LR_LOADFROMFILE))
                               : nullptr;
    if (icon) {
        ::DestroyIcon(icon);
        m_iconPicture = L"file='" + iconPath + L"' icon='true' dest='11,11,43,43'";
    } else {
        wchar_t picture[64];
        swprintf(picture, 64, L"res='%d' restype='PNG' dest='3,3,51,51'", kAddedGamePicture);
        m_iconPicture = picture;
    }
    if (VQControl* control = Find(kIconId)) {
        control->SetAttribute(L"normalimage", m_iconPicture);
        control->Invalidate();
    }
}

struct VQAddGameDlg::LookUpRun {
    std::wstring path;
    std::unique_ptr<VQGameRecord> match;  // written by the thread, read once it ended
};

void VQAddGameDlg::StartLookUp() {
    // A look-up of a file chosen before is left to end on its own.
    m_lookUp.reset();
    m_lookUpRun = std::make_shared<LookUpRun>();
    m_lookUpRun->path = m_path;
    auto* run = new std::shared_ptr<LookUpRun>(m_lookUpRun);
    m_lookUp.reset(new VQThread(&VQAddGameDlg::LookUp, run));
    if (!m_lookUp->Start()) {
        delete run;
        m_lookUp.reset();
    }
}

void VQAddGameDlg::WaitForLookUp() {
    if (!m_lookUp) return;
    // Not ended in time: no match, and the look-up keeps its own record.
    if (!m_lookUp->WaitUpTo(kLookUpWaitMs)) m_lookUpRun.reset();
    m_lookUp.reset();
}

// Look-up thread: the catalogue is loaded for this one match.
void VQAddGameDlg::LookUp(void* argument) {
    std::unique_ptr<std::shared_ptr<LookUpRun>> held(static_cast<std::shared_ptr<LookUpRun>*>(argument));
    LookUpRun& run = **held;
    VQDatabaseXmlFile database(GetDatabasePath());
    if (!database.Load()) return;
    VQDatabaseXmlFile* slot = &database;
    VQScanGame matcher(&slot, &MakeGameTile);
    if (const VQGameRecord* record = matcher.MatchKnownGame(run.path)) {
        run.match.reset(new VQGameRecord(*record));
        run.match->NextSameKey = nullptr;  // the copy stands alone
    }
}

const VQGameRecord* VQAddGameDlg::GetMatch() {
    WaitForLookUp();
    return m_lookUpRun ? m_lookUpRun->match.get() : nullptr;
}

void VQAddGameDlg::Browse() {
    std::wstring filter = LoadResourceString(kTextFilter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = LoadResourceString(kTextChooseFile);
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = m_hwnd;
    request.hInstance = ::GetModuleHandleW(nullptr);
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.lpstrTitle = title.c_str();
    request.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK;
    request.lpfnHook = &OpenFileHook;
    // The common dialogs' library is loaded with the first of them.
    typedef BOOL(WINAPI * OpenFileProc)(OPENFILENAMEW*);
    static const OpenFileProc openFile = SystemLibraryFunction<OpenFileProc>(L"comdlg32.dll", "GetOpenFileNameW");
    if (openFile && openFile(&request)) SetFile(buffer.data());
}

void VQAddGameDlg::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    if (msg.type == NotifyWindowInit) {
        if (VQControl* ok = Find(kOkId)) ok->SetFocus();
    } else if (msg.type == NotifyClick) {
        switch (id) {
        case kCloseId:
        case kCancelId: EndWithResult(kDialogCancel); break;
        case kOkId:
            if (VQControl* name = Find(kNameId)) m_name = name->GetText();
            if (VQControl* path = Find(kPathId)) m_path = path->GetText();
            if (VQControl* arguments = Find(kArgumentsId)) m_arguments = arguments->GetText();
            WaitForLookUp();
            EndWithResult(kDialogOk);
            break;
        case kBrowseId: Browse(); break;
        default: break;
        }
    }
}

}  // namespace Tessar
