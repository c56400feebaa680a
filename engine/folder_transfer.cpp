#include "engine/folder_transfer.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "common/file_facts.h"
#include "common/owned.h"
#include "common/path_join.h"

namespace {

// The name part of a UTF-16 path: what follows its last backslash or colon.
const wchar_t* NamePart(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\' || *at == L':')
            name = at + 1;
    }
    return name;
}

// What stands at a path. The shell's file operation reports neither which files it left out
// (a "No" to replacing a file, a source held open by another program, a volume that filled
// up) nor, on every system, that it left any out, so the files are looked at afterwards: a
// file that the shell replaced has changed since, one that the user chose to keep has not.
struct PathStamp {
    bool Exists = false;
    LARGE_INTEGER ChangeTime = {};
    LARGE_INTEGER LastWriteTime = {};
    LARGE_INTEGER Size = {};
    // Which file stands there: a path may lead to another file of a name that differs only
    // in case once its own has gone (Wine looks names up without regard to case).
    FileIdentity Identity = {};
};

bool Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

PathStamp ReadStamp(const wchar_t* path) {
    PathStamp stamp;
    stamp.Exists = Exists(path);
    if (!stamp.Exists)
        return stamp;
    const KernelHandle handle(CreateFileW(
        path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid())
        return stamp;
    const HANDLE file = handle.Get();
    FILE_BASIC_INFO info = {};
    if (GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info)) {
        stamp.ChangeTime = info.ChangeTime;
        stamp.LastWriteTime = info.LastWriteTime;
    }
    if (!GetFileSizeEx(file, &stamp.Size))
        stamp.Size.QuadPart = -1;
    ReadFileIdentity(file, stamp.Identity);
    return stamp;
}

bool IsFile(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SameName(const wchar_t* first, const wchar_t* second) {
    return CompareStringOrdinal(first, -1, second, -1, TRUE) == CSTR_EQUAL;
}

// One file to transfer, and how it and its target stood right before its operation.
struct TransferEntry {
    const wchar_t* Source = nullptr;
    const wchar_t* Target = nullptr;
    // 0 for the first file bound for its target name, 1 for the second, and so on: files whose
    // targets are one name (names that differ only in case, or files of two folders that one
    // view shows) never meet in one operation, so that each question and each check of what
    // arrived sees the target as the file before it left it.
    int Round = 0;
    // The file went: it arrived (copy) or left its source for the target (move).
    bool Went = false;
    PathStamp SourceBefore;
    PathStamp TargetBefore;
};

// The files of one transfer; the targets are kept one after the other in TargetText.
struct TransferPlan {
    std::unique_ptr<TransferEntry[]> Entries;
    int Count = 0;
    int Rounds = 0;
    std::unique_ptr<wchar_t[]> TargetText;
};

// Numbers the entries bound for each target name in list order. Sorted once, so a folder of
// many matches costs n log n comparisons, not one for every pair.
bool AssignRounds(TransferPlan& plan) {
    if (plan.Count == 0)
        return true;
    std::unique_ptr<int[]> order(new (std::nothrow) int[plan.Count]);
    if (!order)
        return false;
    for (int index = 0; index < plan.Count; ++index)
        order[index] = index;
    const TransferEntry* entries = plan.Entries.get();
    // Bound for one name, the earlier entry first.
    std::sort(order.get(), order.get() + plan.Count, [entries](int first, int second) {
        const int compared =
            CompareStringOrdinal(entries[first].Target, -1, entries[second].Target, -1, TRUE);
        return compared == CSTR_LESS_THAN || (compared == CSTR_EQUAL && first < second);
    });
    plan.Rounds = 1;
    for (int at = 1; at < plan.Count; ++at) {
        TransferEntry& entry = plan.Entries[order[at]];
        const TransferEntry& before = plan.Entries[order[at - 1]];
        if (SameName(entry.Target, before.Target)) {
            entry.Round = before.Round + 1;
            plan.Rounds = std::max(plan.Rounds, entry.Round + 1);
        }
    }
    return true;
}

void LeaveOut(TransferOutcome& outcome, const wchar_t* path) {
    outcome.LeftFiles.Append(NamePart(path));
    ++outcome.LeftFileCount;
}

// Plans a transfer of the collected paths that name files into folder. Left out, and named in
// the outcome: paths that name nothing (a label shown without its extension), a target longer
// than MAX_PATH, a target that is a folder (the shell would put the file into it) and the file
// itself. Folders are left out too (the shell would carry them whole, and what arrived of a
// tree cannot be checked cheaply before its source is deleted); they are named in the
// outcome. False when memory cannot be had.
bool PlanTransfer(WideStringList& paths, const wchar_t* folder, TransferPlan& plan,
                  TransferOutcome& outcome) {
    const std::size_t folderLength = wcslen(folder);
    std::size_t files = 0;
    std::size_t targetChars = 0;
    for (const wchar_t* path = paths.GetFirst(); path != nullptr; path = paths.GetNext()) {
        ++files;
        targetChars += folderLength + 1 + wcslen(NamePart(path)) + 1;
    }
    if (files == 0)
        return true;
    plan.Entries.reset(new (std::nothrow) TransferEntry[files]);
    plan.TargetText.reset(new (std::nothrow) wchar_t[targetChars]);
    if (!plan.Entries || !plan.TargetText)
        return false;
    wchar_t* unused = plan.TargetText.get();
    for (const wchar_t* path = paths.GetFirst(); path != nullptr; path = paths.GetNext()) {
        if (IsFolder(path)) {
            outcome.LeftFolders.Append(NamePart(path));
            ++outcome.LeftFolderCount;
            continue;
        }
        wchar_t target[MAX_PATH];
        if (!JoinPath(target, folder, NamePart(path)) || !IsFile(path) || IsFolder(target) ||
            SameName(path, target)) {
            LeaveOut(outcome, path);
            continue;
        }
        const std::size_t size = wcslen(target) + 1;
        std::memcpy(unused, target, size * sizeof(wchar_t));
        TransferEntry& entry = plan.Entries[plan.Count++];
        entry.Source = path;
        entry.Target = unused;
        unused += size;
    }
    return AssignRounds(plan);
}

// Which of a round's entries one file operation takes.
enum class Subset { Every, NewNames, Replacing };

bool Takes(Subset subset, int round, const TransferEntry& entry) {
    if (entry.Round != round)
        return false;
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
std::unique_ptr<wchar_t[]> JoinPaths(const TransferPlan& plan, Subset subset, int round,
                                     bool targets) {
    std::size_t chars = 1;
    for (int index = 0; index < plan.Count; ++index) {
        const TransferEntry& entry = plan.Entries[index];
        if (Takes(subset, round, entry))
            chars += wcslen(targets ? entry.Target : entry.Source) + 1;
    }
    std::unique_ptr<wchar_t[]> list(new (std::nothrow) wchar_t[chars]);
    if (!list)
        return nullptr;
    wchar_t* at = list.get();
    for (int index = 0; index < plan.Count; ++index) {
        const TransferEntry& entry = plan.Entries[index];
        if (!Takes(subset, round, entry))
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
bool RunShellOperation(HWND owner, UINT operation, const TransferPlan& plan, Subset subset,
                       int round) {
    bool any = false;
    for (int index = 0; index < plan.Count && !any; ++index)
        any = Takes(subset, round, plan.Entries[index]);
    if (!any)
        return true;
    const std::unique_ptr<wchar_t[]> sources = JoinPaths(plan, subset, round, false);
    const std::unique_ptr<wchar_t[]> targets = JoinPaths(plan, subset, round, true);
    bool completed = false;
    if (sources && targets) {
        SHFILEOPSTRUCTW operationRecord = {};
        operationRecord.hwnd = owner;
        operationRecord.wFunc = operation;
        operationRecord.pFrom = sources.get();
        operationRecord.pTo = targets.get();
        // Several files moved into one folder are refused by Wine's shell (ERROR_CANCELLED);
        // a target for each file works everywhere.
        operationRecord.fFlags = FOF_MULTIDESTFILES | FOF_ALLOWUNDO;
        completed =
            SHFileOperationW(&operationRecord) == 0 && !operationRecord.fAnyOperationsAborted;
    }
    return completed;
}

// Reads how each of the round's sources and targets stands now, right before its operation.
void StampRound(TransferPlan& plan, int round) {
    for (int index = 0; index < plan.Count; ++index) {
        TransferEntry& entry = plan.Entries[index];
        if (entry.Round != round)
            continue;
        entry.SourceBefore = ReadStamp(entry.Source);
        entry.TargetBefore = ReadStamp(entry.Target);
    }
}

// The target holds a complete copy of the source as it stood before the operation: it has
// changed since then (a target the user kept has not), and it has the source's size and time
// of last writing, which a copy keeps and a copy cut short by a full volume does not.
bool CopyArrived(const TransferEntry& entry) {
    const PathStamp now = ReadStamp(entry.Target);
    if (!now.Exists || !entry.SourceBefore.Exists)
        return false;
    const PathStamp& before = entry.TargetBefore;
    const bool changed = !before.Exists || now.ChangeTime.QuadPart != before.ChangeTime.QuadPart ||
                         now.LastWriteTime.QuadPart != before.LastWriteTime.QuadPart;
    return changed && now.Size.QuadPart == entry.SourceBefore.Size.QuadPart &&
           now.LastWriteTime.QuadPart == entry.SourceBefore.LastWriteTime.QuadPart;
}

// The source's file no longer stands at its path.
bool SourceLeft(const TransferEntry& entry) {
    const PathStamp now = ReadStamp(entry.Source);
    return !now.Exists || !SameIdentity(now.Identity, entry.SourceBefore.Identity);
}

// One round of a copy; false when the shell's operation was cancelled or stopped.
bool CopyRound(HWND owner, TransferPlan& plan, int round, TransferOutcome& outcome) {
    StampRound(plan, round);
    const bool completed = RunShellOperation(owner, FO_COPY, plan, Subset::Every, round);
    for (int index = 0; index < plan.Count; ++index) {
        TransferEntry& entry = plan.Entries[index];
        if (entry.Round != round)
            continue;
        entry.Went = CopyArrived(entry);
        if (entry.Went)
            ++outcome.Count;
    }
    return completed;
}

// Sends a source to the Recycle Bin, without the shell's questions, progress or error boxes,
// so that Undo of the copy that replaced its target (which deletes the copy) leaves the user
// the file to restore. A file that cannot be recycled would be destroyed outright: the shell
// warns before it does, and the file stays where it is unless the user agrees.
void RecycleFile(HWND owner, const wchar_t* path) {
    const std::size_t size = wcslen(path) + 1;
    std::unique_ptr<wchar_t[]> list(new (std::nothrow) wchar_t[size + 1]);
    if (!list)
        return;
    std::memcpy(list.get(), path, size * sizeof(wchar_t));
    list[size] = L'\0';
    SHFILEOPSTRUCTW operationRecord = {};
    operationRecord.hwnd = owner;
    operationRecord.wFunc = FO_DELETE;
    operationRecord.pFrom = list.get();
    operationRecord.fFlags = FOF_ALLOWUNDO | FOF_NO_UI | FOF_WANTNUKEWARNING;
    SHFileOperationW(&operationRecord);
}

// One round of a move. The shell's move does not ask before it replaces a file everywhere
// (Wine 8 replaces silently), so a file whose name is taken in the target is copied, which
// asks, and its source is recycled only once a complete copy stands at the target.
bool MoveRound(HWND owner, TransferPlan& plan, int round, TransferOutcome& outcome) {
    StampRound(plan, round);
    const bool completed = RunShellOperation(owner, FO_MOVE, plan, Subset::NewNames, round) &&
                           RunShellOperation(owner, FO_COPY, plan, Subset::Replacing, round);
    for (int index = 0; index < plan.Count; ++index) {
        TransferEntry& entry = plan.Entries[index];
        if (entry.Round != round)
            continue;
        if (Takes(Subset::Replacing, round, entry) && CopyArrived(entry))
            RecycleFile(owner, entry.Source);
        entry.Went = SourceLeft(entry) && Exists(entry.Target);
        if (entry.Went)
            ++outcome.Count;
    }
    return completed;
}

// The rounds one after the other; a cancel or stop ends the transfer, leaving the later
// rounds' files where they are.
void TransferFiles(HWND owner, TransferPlan& plan, DWORD action, TransferOutcome& outcome) {
    outcome.Completed = true;
    for (int round = 0; round < plan.Rounds && outcome.Completed; ++round) {
        outcome.Completed = action == CopyToFolder ? CopyRound(owner, plan, round, outcome)
                                                   : MoveRound(owner, plan, round, outcome);
    }
}

} // namespace

void TransferToFolder(RunRecord& run, const wchar_t* folder, HWND owner, TransferOutcome& outcome) {
    outcome.Count = 0;
    outcome.Completed = false;
    TransferPlan plan;
    if (!PlanTransfer(run.SelectedPaths, folder, plan, outcome))
        return;
    TransferFiles(owner, plan, run.Action, outcome);
    // A file that did not go without the shell saying so (Wine's move of a source held open
    // reports success) counts as a stop as well.
    outcome.Completed = outcome.Completed && outcome.Count == plan.Count;
    for (int index = 0; index < plan.Count; ++index) {
        if (!plan.Entries[index].Went)
            LeaveOut(outcome, plan.Entries[index].Source);
    }
}
