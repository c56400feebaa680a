#include "engine/folder_transfer.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "common/code_page_932.h"
#include "common/message_box.h"
#include "engine/folder_path.h"

const char kCopyTitle[] = "コピー先のフォルダを選択してください";
const char kMoveTitle[] = "移動先のフォルダを選択してください";
const char kResultFormat[] = "%d 個のファイルを%sしました。";
const char kStoppedFormat[] = "%sは中止されました。%d 個のファイルを%sしました。";
const char kCopyVerb[] = "コピー";
const char kMoveVerb[] = "移動";
const char kResultCaption[] = "Vestrane";

namespace {

// Room for the action's texts in UTF-16: each is far shorter than a path.
constexpr int kTextRoom = MAX_PATH;

// The name part of a UTF-16 path: what follows its last backslash or colon.
const wchar_t* NamePart(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\' || *at == L':')
            name = at + 1;
    }
    return name;
}

// Writes folder + "\" + name into target. False, with target untouched, when the result
// would not fit in MAX_PATH characters with its terminator.
bool FormTargetPath(wchar_t (&target)[MAX_PATH], const wchar_t* folder, const wchar_t* name) {
    const std::size_t folderLength = wcslen(folder);
    const std::size_t nameLength = wcslen(name);
    if (folderLength + 1 + nameLength + 1 > MAX_PATH)
        return false;
    std::memcpy(target, folder, folderLength * sizeof(wchar_t));
    target[folderLength] = L'\\';
    std::memcpy(target + folderLength + 1, name, (nameLength + 1) * sizeof(wchar_t));
    return true;
}

// The chosen folder's path without a trailing backslash, or false when the user cancelled
// or the chosen item has no file-system path.
bool AskTargetFolder(RunRecord& run, HWND owner, wchar_t (&folder)[MAX_PATH]) {
    wchar_t title[kTextRoom];
    Cp932ToWide(run.Action == CopyToFolder ? kCopyTitle : kMoveTitle, title, kTextRoom);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = FolderBrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(run.SourceFolder);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return false;
    const bool read = ReadFolderPath(chosen, folder);
    CoTaskMemFree(chosen);
    return read;
}

// What stands at a path. The shell's file operation reports neither which files it left out
// (a "No" to replacing a file, a source held open by another program) nor, on every system,
// that it left any out, so the files are looked at afterwards: a file that the shell replaced
// has changed since, one that the user chose to keep has not.
struct PathStamp {
    bool Exists = false;
    LARGE_INTEGER ChangeTime = {};
    LARGE_INTEGER LastWriteTime = {};
};

bool Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

PathStamp ReadStamp(const wchar_t* path) {
    PathStamp stamp;
    stamp.Exists = Exists(path);
    if (!stamp.Exists)
        return stamp;
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return stamp;
    FILE_BASIC_INFO info = {};
    if (GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info)) {
        stamp.ChangeTime = info.ChangeTime;
        stamp.LastWriteTime = info.LastWriteTime;
    }
    CloseHandle(file);
    return stamp;
}

bool IsFile(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// One file to transfer, and what stood at its target before.
struct TransferEntry {
    const wchar_t* Source = nullptr;
    const wchar_t* Target = nullptr;
    PathStamp TargetBefore;
};

// The files of one transfer; the targets are kept one after the other in TargetText.
struct TransferPlan {
    TransferEntry* Entries = nullptr;
    int Count = 0;
    wchar_t* TargetText = nullptr;

    TransferPlan() = default;
    TransferPlan(const TransferPlan&) = delete;
    TransferPlan& operator=(const TransferPlan&) = delete;
    ~TransferPlan() {
        delete[] Entries;
        delete[] TargetText;
    }
};

// Plans a transfer of the collected paths that name files into folder. Left out, as a copy
// that fails: folders (the shell would copy them whole), paths that name nothing (a label
// shown without its extension), a target longer than MAX_PATH, a target that is a folder
// (the shell would put the file into it) and the file itself. False when memory cannot be
// had.
bool PlanTransfer(WideStringList* paths, const wchar_t* folder, TransferPlan& plan) {
    if (paths == nullptr)
        return true;
    const std::size_t folderLength = wcslen(folder);
    std::size_t files = 0;
    std::size_t targetChars = 0;
    for (const wchar_t* path = paths->GetFirst(); path != nullptr; path = paths->GetNext()) {
        ++files;
        targetChars += folderLength + 1 + wcslen(NamePart(path)) + 1;
    }
    if (files == 0)
        return true;
    plan.Entries = new (std::nothrow) TransferEntry[files];
    plan.TargetText = new (std::nothrow) wchar_t[targetChars];
    if (plan.Entries == nullptr || plan.TargetText == nullptr)
        return false;
    wchar_t* unused = plan.TargetText;
    for (const wchar_t* path = paths->GetFirst(); path != nullptr; path = paths->GetNext()) {
        wchar_t target[MAX_PATH];
        if (!FormTargetPath(target, folder, NamePart(path)))
            continue;
        if (!IsFile(path) || IsFolder(target) ||
            CompareStringOrdinal(path, -1, target, -1, TRUE) == CSTR_EQUAL)
            continue;
        const std::size_t size = wcslen(target) + 1;
        std::memcpy(unused, target, size * sizeof(wchar_t));
        TransferEntry& entry = plan.Entries[plan.Count++];
        entry.Source = path;
        entry.Target = unused;
        entry.TargetBefore = ReadStamp(target);
        unused += size;
    }
    return true;
}

// Which of a plan's entries one file operation takes.
enum class Subset { Every, NewNames, Replacing };

bool Takes(Subset subset, const TransferEntry& entry) {
    switch (subset) {
    case Subset::NewNames:
        return !entry.TargetBefore.Exists;
    case Subset::Replacing:
        return entry.TargetBefore.Exists;
    default:
        return true;
    }
}

// The sources or the targets of the subset's entries as one double-null list, the form the
// shell's file operation reads; null when memory cannot be had.
wchar_t* JoinPaths(const TransferPlan& plan, Subset subset, bool targets) {
    std::size_t chars = 1;
    for (int index = 0; index < plan.Count; ++index) {
        const TransferEntry& entry = plan.Entries[index];
        if (Takes(subset, entry))
            chars += wcslen(targets ? entry.Target : entry.Source) + 1;
    }
    wchar_t* list = new (std::nothrow) wchar_t[chars];
    if (list == nullptr)
        return nullptr;
    wchar_t* at = list;
    for (int index = 0; index < plan.Count; ++index) {
        const TransferEntry& entry = plan.Entries[index];
        if (!Takes(subset, entry))
            continue;
        const wchar_t* path = targets ? entry.Target : entry.Source;
        const std::size_t size = wcslen(path) + 1;
        std::memcpy(at, path, size * sizeof(wchar_t));
        at += size;
    }
    *at = L'\0';
    return list;
}

// Runs the shell's file operation on the subset's entries, one target per file: the shell
// shows its progress, asks before it replaces a file, and offers cancel and undo. False
// when it was cancelled or stopped, or could not be started.
bool RunShellOperation(HWND owner, UINT operation, const TransferPlan& plan, Subset subset) {
    bool any = false;
    for (int index = 0; index < plan.Count && !any; ++index)
        any = Takes(subset, plan.Entries[index]);
    if (!any)
        return true;
    wchar_t* sources = JoinPaths(plan, subset, false);
    wchar_t* targets = JoinPaths(plan, subset, true);
    bool completed = false;
    if (sources != nullptr && targets != nullptr) {
        SHFILEOPSTRUCTW operationRecord = {};
        operationRecord.hwnd = owner;
        operationRecord.wFunc = operation;
        operationRecord.pFrom = sources;
        operationRecord.pTo = targets;
        // Several files moved into one folder are refused by Wine's shell (ERROR_CANCELLED);
        // a target for each file works everywhere.
        operationRecord.fFlags = FOF_MULTIDESTFILES | FOF_ALLOWUNDO;
        completed =
            SHFileOperationW(&operationRecord) == 0 && !operationRecord.fAnyOperationsAborted;
    }
    delete[] sources;
    delete[] targets;
    return completed;
}

bool Arrived(const TransferEntry& entry) {
    const PathStamp now = ReadStamp(entry.Target);
    if (!now.Exists)
        return false;
    const PathStamp& before = entry.TargetBefore;
    return !before.Exists || now.ChangeTime.QuadPart != before.ChangeTime.QuadPart ||
           now.LastWriteTime.QuadPart != before.LastWriteTime.QuadPart;
}

struct TransferOutcome {
    // Files that arrived (copy) or left their source for the target (move).
    int Count = 0;
    // Every planned file went, and nothing was cancelled.
    bool Completed = false;
};

TransferOutcome CopyFiles(HWND owner, const TransferPlan& plan) {
    TransferOutcome outcome;
    outcome.Completed = RunShellOperation(owner, FO_COPY, plan, Subset::Every);
    for (int index = 0; index < plan.Count; ++index) {
        if (Arrived(plan.Entries[index]))
            ++outcome.Count;
    }
    return outcome;
}

// The shell's move does not ask before it replaces a file everywhere (Wine 8 replaces
// silently), so a file whose name is taken in the target is copied, which asks, and its
// source is deleted once the copy has arrived.
TransferOutcome MoveFiles(HWND owner, const TransferPlan& plan) {
    TransferOutcome outcome;
    outcome.Completed = RunShellOperation(owner, FO_MOVE, plan, Subset::NewNames) &&
                        RunShellOperation(owner, FO_COPY, plan, Subset::Replacing);
    for (int index = 0; index < plan.Count; ++index) {
        const TransferEntry& entry = plan.Entries[index];
        if (Takes(Subset::Replacing, entry) && Arrived(entry))
            DeleteFileW(entry.Source);
        if (!Exists(entry.Source) && Exists(entry.Target))
            ++outcome.Count;
    }
    return outcome;
}

void ShowResult(HWND owner, const TransferOutcome& outcome, DWORD action) {
    const char* verb = action == CopyToFolder ? kCopyVerb : kMoveVerb;
    // The count has at most 11 characters, so either text fits the buffer.
    char text[kTextRoom];
    if (outcome.Completed) {
        wsprintfA(text, kResultFormat, outcome.Count, verb);
    } else {
        wsprintfA(text, kStoppedFormat, verb, outcome.Count, verb);
    }
    ShowCp932Message(owner, text, kResultCaption, MB_OK);
}

} // namespace

void CopyOrMoveToFolder(RunRecord& run, HWND owner) {
    wchar_t folder[MAX_PATH];
    if (!AskTargetFolder(run, owner, folder))
        return;

    TransferPlan plan;
    TransferOutcome outcome;
    if (PlanTransfer(run.SelectedPaths, folder, plan)) {
        outcome = run.Action == CopyToFolder ? CopyFiles(owner, plan) : MoveFiles(owner, plan);
        // A file that did not go without the shell saying so (Wine's move of a source held
        // open reports success) counts as a stop as well.
        outcome.Completed = outcome.Completed && outcome.Count == plan.Count;
    }
    ShowResult(owner, outcome, run.Action);
}

int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}
