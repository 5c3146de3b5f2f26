#pragma once
// Adding a program of the user's own: a program file or a shortcut to one,
// its name (a Chinese name is preferred, from the shortcut or the folder),
// arguments and icon; meanwhile a look-up in the game catalogue finds out
// whether it is a known game.
//
// Threads: the look-up thread works on a record of its own (the path in,
// the match out) that it shares with the dialog; the UI thread reads the
// match once the thread has ended. The UI thread waits for it a bounded
// time only (on OK): a look-up that takes longer (a huge catalogue, a slow
// disk) counts as no match, and a dialog closed meanwhile is never written
// to.

#include <memory>
#include <string>

#include <windows.h>

#include "VQCore/app/windows/DialogWindow.h"
#include "common/TempFile.h"

namespace Tessar {

struct VQGameRecord;
class VQThread;

// A program file and what adding it takes; `accepted` false for anything
// that is not a program or a readable shortcut to one.
struct VQResolvedProgram {
    bool accepted = false;
    std::wstring path;  // the program (a shortcut's target)
    std::wstring name;
    std::wstring arguments;
    std::wstring workingFolder;
};

VQResolvedProgram ResolveProgramFile(const std::wstring& path);
// Whether the text has Chinese characters (a GBK pair, lead 0xB0-0xF7, trail 0xA1-0xFE).
bool HasChineseCharacters(const std::wstring& text);

class VQAddGameDlg : public VQDialogWindow {
public:
    VQAddGameDlg(HWND owner, const std::wstring& path);
    ~VQAddGameDlg() override;

    const wchar_t* GetWindowClassName() const override { return L"VQAddGameDlg"; }
    void Notify(VQNotifyMsg& msg) override;

    // Takes a program file; false when it is not accepted.
    bool SetFile(const std::wstring& path);

    bool IsFileAccepted() const { return m_accepted; }
    const std::wstring& GetGameName() const { return m_name; }
    const std::wstring& GetProgramPath() const { return m_path; }
    const std::wstring& GetArguments() const { return m_arguments; }
    const std::wstring& GetWorkingFolder() const { return m_workingFolder; }
    // The catalogue's record of the program, once the look-up has ended;
    // null also when it did not end within kLookUpWaitMs.
    const VQGameRecord* GetMatch();
    static const DWORD kLookUpWaitMs = 10000;
    // The icon picture shown (the program's own, or the picture of added games).
    const std::wstring& GetIconPicture() const { return m_iconPicture; }

private:
    void Browse();
    struct LookUpRun;
    void WaitForLookUp();
    void StartLookUp();
    void RefreshIcon();
    static void LookUp(void* run);

    bool m_accepted = false;
    std::wstring m_name, m_path, m_arguments, m_workingFolder;
    std::shared_ptr<LookUpRun> m_lookUpRun;  // shared with its thread
    std::unique_ptr<VQThread> m_lookUp;
    TempFileHolder m_iconFile;
    bool m_iconWritten = false;
    std::wstring m_iconPicture;
};

}  // namespace Tessar
