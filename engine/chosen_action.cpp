#include "engine/chosen_action.h"

#include "engine/clipboard_transfer.h"
#include "engine/folder_transfer.h"

void RunChosenAction(RunRecord& run, HWND owner) {
    switch (run.Action) {
    case ClipboardCopy:
    case ClipboardCut:
        PutFilesOnClipboard(run, GetDesktopWindow(), owner);
        break;
    case CopyToFolder:
    case MoveToFolder:
        CopyOrMoveToFolder(run, owner);
        break;
    default:
        break;
    }
}
