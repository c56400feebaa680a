#!/usr/bin/env bash
# End-to-end cases, one per run: e2e.sh CASE. The real Vestinst.exe installs the real
# Vestrane.dll in a Wine prefix of their own; the stand-in Explorer shows a sample folder,
# builds the context menu from the registration and invokes the entry; dialogs are answered
# through their controls. Needs VESTINST, VESTRANE, HOST, DRIVER, E2E_PREFIX and TOOLS; the
# case msi also FACTS (the x64 build's vestrane-facts.exe).
set -uo pipefail
case_name=${1:?case}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e-lib.sh
source "$here/e2e-lib.sh"
# A case named today_CASE runs CASE in the window layout of the Explorer of Windows 7-11, one
# named modern_CASE there from the first context menu of Windows 11, whose entry is the
# command's (IExplorerCommand), named by its title.
case "$case_name" in
today_*)
    HOST_LAYOUT=(--layout today)
    ;;
modern_*)
    HOST_LAYOUT=(--layout today --modern-menu --command-class "$COMMAND_CLSID")
    VESTRANE_LABEL=$VESTRANE_TITLE
    ;;
esac

work_win="C:\\e2e\\$case_name"
work=$(linux_path "$work_win")
sample_win="$work_win\\sample"
sample=$(linux_path "$sample_win")
start_session
mkdir -p "$work"
case "$case_name" in
modern_*)
    register_command_class
    trap unregister_command_class EXIT
    ;;
esac

# Full paths of the matching sample files in the order the folder view shows them.
selected_paths() {
    local label
    report_values selected "$1" | while IFS= read -r label; do
        printf '%s\n' "$sample_win\\$label"
    done
}

# The main line through the selection dialog with one action, from a file of the sample.
run_action() {
    local report=$1 radio=$2
    shift 2
    run_host "$report" --folder "$sample_win" --select notes.txt --clear-clipboard \
        --invoke "$VESTRANE_LABEL" --answer "set:1000=$MAIN_LINE;click:$radio;click:1" "$@" ||
        fail "explorer-host ended with $?: $(cat "$report")"
    expect_line "$report" "invoke-result: S_OK"
    # After a move (MOVED=yes) the view shows what the shell's notices of the move made of
    # the selected items; Wine's view renames them, not always to the right names.
    [ -n "${MOVED:-}" ] ||
        expect_set "selected items" "$report" selected "${SAMPLE_MATCHING[@]}"
    expect_unloaded "$report"
}

# Once the menu is gone, the DLL agrees to be unloaded: no object of it is left alive.
expect_unloaded() {
    expect_line "$1" "server-unloaded: $INSTALL_WIN\\Vestrane.dll"
}

expect_clipboard() {
    local report=$1 effect=$2
    local paths=()
    mapfile -t paths < <(selected_paths "$report")
    expect_equal "clipboard file count" "${#SAMPLE_MATCHING[@]}" \
        "$(report_values clipboard-files "$report")"
    expect_equal "clipboard files, in list order" "$(printf '%s\n' "${paths[@]}")" \
        "$(report_values clipboard-file "$report")"
    expect_equal "drop-file block" "$(hdrop_hex "${paths[@]}")" \
        "$(report_values clipboard-hdrop "$report")"
    expect_equal "Preferred DropEffect" "$effect" "$(report_values clipboard-effect "$report")"
}

expect_sample_untouched() {
    local name
    for name in "${SAMPLE_MATCHING[@]}" "${SAMPLE_OTHERS[@]}"; do
        [ -f "$sample/$name" ] || fail "$name has gone from the sample folder"
    done
}

# empty_target NAME: target_win and target name the empty folder NAME of the work folder.
empty_target() {
    target_win="$work_win\\$1"
    target=$(linux_path "$target_win")
    rm -rf "$target"
    mkdir -p "$target"
}

# Lists the folders once, so that Wine's folder browser finds them by unchanged times.
settle_folders() {
    ls -R "$work" >/dev/null && ls "$E2E_PREFIX/drive_c" "$E2E_PREFIX/drive_c/e2e" >/dev/null
}

# folder_action RADIO VERB ANSWER: copy or move the matches into a folder chosen in the
# browser, where notes.txt is there already: the shell asks before it replaces that file, and
# ANSWER (Yes 6, No 7) says whether it may.
folder_action() {
    local radio=$1 verb=$2 answer=$3
    local target_win target
    make_sample "$sample_win"
    empty_target target
    echo stale >"$target/notes.txt"
    # Where best fit led the name with "¥": neither it nor a file of its name in the target
    # may be touched.
    mkdir -p "$work/Documents"
    echo outside >"$work/Documents/taxes.doc"
    # Wine's folder browser compares a folder's access time too, and Linux sets it at the
    # first read after a change: read the folders now, as any user's look at them would.
    settle_folders
    local moved=""
    [ "$radio" = 1007 ] && moved=yes
    MOVED=$moved run_action "$work/host.txt" "$radio" \
        --answer "folder:$target_win;click:1" --answer "click:$answer" --answer "click:1"
    local report=$work/host.txt
    local count=${#SAMPLE_MATCHING[@]}
    expect_line "$report" "dialog-folder: target"
    expect_equal "dialogs shown" 4 "$(report_values dialogs "$report")"
    local name
    for name in "${SAMPLE_MATCHING[@]}"; do
        [ -f "$target/$name" ] || fail "$name was not placed in the target folder"
        [ "$name" = notes.txt ] && [ "$answer" = 7 ] && continue
        expect_equal "content of the placed $name" "$name" "$(cat "$target/$name")"
    done
    if [ "$answer" = 7 ]; then
        expect_equal "the file the user kept" stale "$(cat "$target/notes.txt")"
        expect_line "$report" \
            "dialog-text: ${verb}は中止されました。$((count - 1)) 個のファイルを${verb}しました。\\n次の 1 個は${verb}しませんでした: notes.txt"
    else
        expect_line "$report" "dialog-text: $count 個のファイルを${verb}しました。"
    fi
    expect_equal "files in the target folder" "$(sorted "${SAMPLE_MATCHING[@]}")" \
        "$(ls -1 "$target" | LC_ALL=C sort)"
    expect_equal "the file beside the sample folder" outside "$(cat "$work/Documents/taxes.doc")"
    for name in "${SAMPLE_OTHERS[@]}"; do
        [ -f "$sample/$name" ] || fail "$name, which does not match, has gone"
    done
}

body=${case_name#today_}
case "${body#modern_}" in
install)
    for key in "$KEY_CLASS" "$KEY_HANDLER" "$KEY_FOLDER_HANDLER" "$KEY_BACKGROUND_HANDLER" \
        "$KEY_UNINSTALL"; do
        reg_delete "$key"
    done
    reset_settings
    rm -rf "$INSTALL_DIR"
    mkdir -p "$INSTALL_DIR"
    cp "$VESTINST" "$VESTRANE" "$INSTALL_DIR/"
    printf 'Vestrane\r\n' >"$INSTALL_DIR/Vestrane.txt"
    report=$work/install.txt
    # Yes to the question; Yes to the warning about the folder (Wine gives every file to the
    # signed-in account, which Vestinst trusts no more than any other user); OK to
    # "installed", then the defaults: select only, the extension.
    run_driven "$report" --answer 'click:6' --answer 'click:6' --answer 'click:1' \
        --answer 'click:1002;click:1004;click:1' -- "$INSTALL_WIN\\Vestinst.exe" ||
        fail "Vestinst ended with $?: $(cat "$report")"
    expect_line "$report" "dialog-text: Vestrane をインストールしますか？"
    grep -qF "dialog-text: $UNSAFE_FOLDER_TEXT$INSTALL_WIN\\n" "$report" ||
        fail "no warning about $INSTALL_WIN: $(cat "$report")"
    expect_line "$report" "dialog-text: インストール終了しました。続けて設定を行います。"
    expect_line "$report" "dialog: Vestrane 設定"
    expect_line "$report" "exit: 0"
    expect_equal "class name" Vestrane "$(reg_default "$KEY_CLASS")"
    expect_equal "server path" "$INSTALL_WIN\\Vestrane.dll" \
        "$(reg_default "$KEY_CLASS\\InprocServer32")"
    expect_equal "threading model" Apartment \
        "$(reg_value "$KEY_CLASS\\InprocServer32" ThreadingModel)"
    for key in "$KEY_HANDLER" "$KEY_FOLDER_HANDLER" "$KEY_BACKGROUND_HANDLER"; do
        expect_equal "handler $key" "$VESTRANE_CLSID" "$(reg_default "$key")"
    done
    expect_equal "uninstall name" Vestrane "$(reg_value "$KEY_UNINSTALL" DisplayName)"
    uninstall=$(reg_value "$KEY_UNINSTALL" UninstallString)
    case "$uninstall" in
    *"$INSTALL_WIN\\Vestinst.exe"*" u") ;;
    *) fail "uninstall command [$uninstall]" ;;
    esac
    expect_equal "configured mode" 0x0 "$(reg_value "$KEY_SETTINGS" mode)"
    expect_equal "configured start text" 0x0 "$(reg_value "$KEY_SETTINGS" select)"
    # Explorer's side: the menus of a file, of a folder item with a file and of the empty area
    # offer the entry once, with its help text.
    make_sample "$sample_win"
    mkdir -p "$sample/folder"
    for place in "--select readme" "--select folder --select readme" --background; do
        report=$work/menu.txt
        # shellcheck disable=SC2086
        run_host "$report" --folder "$sample_win" $place --invoke "$VESTRANE_LABEL" \
            --answer 'click:2' || fail "explorer-host $place: $(cat "$report")"
        expect_line "$report" "handler: Vestrane"
        expect_equal "entries with $place" 1 "$(grep -cxF "menu: $VESTRANE_LABEL" "$report")"
        expect_line "$report" "help: $VESTRANE_HELP"
        expect_unloaded "$report"
    done
    ;;

select_only)
    reset_settings
    make_sample "$sample_win"
    report=$work/host.txt
    # From a file without an extension the dialog starts empty; no settings: select only.
    run_host "$report" --folder "$sample_win" --select readme --select 写真.jpg \
        --clear-clipboard --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=$MAIN_LINE;click:1005;click:1" || fail "$(cat "$report")"
    expect_line "$report" "dialog: ワイルドカードで一括選択"
    expect_line "$report" "dialog-combo: 1000 "
    expect_line "$report" "dialog-checked: 1005 選択のみ(&N)"
    expect_set "items" "$report" item "${SAMPLE_MATCHING[@]}" "${SAMPLE_OTHERS[@]}"
    expect_set "selected items" "$report" selected "${SAMPLE_MATCHING[@]}"
    expect_line "$report" "clipboard-files: none"
    expect_unloaded "$report"
    expect_sample_untouched
    expect_equal "saved line" "$MAIN_LINE" "$(reg_value "$KEY_SETTINGS" h0)"
    expect_equal "saved action" 0x0 "$(reg_value "$KEY_SETTINGS" flag)"
    ;;

clipboard_copy)
    reset_settings
    make_sample "$sample_win"
    run_action "$work/host.txt" 1001
    # The dialog starts with the right-clicked file's extension.
    expect_line "$work/host.txt" "dialog-combo: 1000 *.txt"
    expect_clipboard "$work/host.txt" 1
    expect_sample_untouched
    expect_equal "saved action" 0x1 "$(reg_value "$KEY_SETTINGS" flag)"
    ;;

clipboard_cut)
    reset_settings
    make_sample "$sample_win"
    run_action "$work/host.txt" 1002
    expect_clipboard "$work/host.txt" 2
    # Cutting only marks the files for a move at the next paste.
    expect_sample_untouched
    expect_equal "saved action" 0x2 "$(reg_value "$KEY_SETTINGS" flag)"
    ;;

copy_to_folder)
    reset_settings
    # Yes to replacing notes.txt.
    folder_action 1006 コピー 6
    expect_sample_untouched
    ;;

move_to_folder)
    reset_settings
    # No to replacing notes.txt: it stays where it is, and so does the file in the target.
    folder_action 1007 移動 7
    for name in "${SAMPLE_MATCHING[@]}"; do
        [ "$name" = notes.txt ] && continue
        [ ! -e "$sample/$name" ] || fail "$name was moved but is still in the sample folder"
    done
    expect_equal "the file the user did not move" notes.txt "$(cat "$sample/notes.txt")"
    ;;

japanese_folder)
    # A folder whose name ends in 表 (second byte 0x5C, the backslash code) holds the files;
    # the matches go to the clipboard, then are moved into a folder ending in ソ (also 0x5C).
    reset_settings
    sample_win="$work_win\\資料表"
    sample=$(linux_path "$sample_win")
    make_sample "$sample_win"
    empty_target ソ
    settle_folders
    report=$work/copy.txt
    run_host "$report" --folder "$sample_win" --select 表.txt --clear-clipboard \
        --invoke "$VESTRANE_LABEL" --answer "set:1000=$MAIN_LINE;click:1001;click:1" ||
        fail "$(cat "$report")"
    expect_line "$report" "dialog-combo: 1000 *.txt"
    expect_set "selected items" "$report" selected "${SAMPLE_MATCHING[@]}"
    expect_clipboard "$report" 1
    report=$work/move.txt
    run_host "$report" --folder "$sample_win" --select 表.txt --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=$MAIN_LINE;click:1007;click:1" \
        --answer "folder:$target_win;click:1" --answer "click:1" || fail "$(cat "$report")"
    expect_line "$report" "dialog-folder: ソ"
    expect_line "$report" "dialog-text: ${#SAMPLE_MATCHING[@]} 個のファイルを移動しました。"
    expect_equal "files in the folder ソ" "$(sorted "${SAMPLE_MATCHING[@]}")" \
        "$(ls -1 "$target" | LC_ALL=C sort)"
    expect_equal "files left in 資料表" "$(sorted "${SAMPLE_OTHERS[@]}")" \
        "$(ls -1 "$sample" | LC_ALL=C sort)"
    ;;

history)
    reset_settings
    make_sample "$sample_win"
    lines=('*.txt' '*.doc readme' 'メモ*')
    for i in 0 1 2; do
        run_host "$work/run$i.txt" --folder "$sample_win" --select main.c \
            --invoke "$VESTRANE_LABEL" --answer "set:1000=${lines[$i]};click:1005;click:1" ||
            fail "run $i: $(cat "$work/run$i.txt")"
    done
    expect_equal "history offered to the first run" "" \
        "$(report_values dialog-combo-item "$work/run0.txt")"
    expect_equal "history offered to the second run" "1000 *.txt" \
        "$(report_values dialog-combo-item "$work/run1.txt")"
    expect_equal "history offered to the third run" "1000 *.doc readme
1000 *.txt" "$(report_values dialog-combo-item "$work/run2.txt")"
    expect_set "selected by the third run" "$work/run2.txt" selected メモ.txt
    expect_equal "h0" 'メモ*' "$(reg_value "$KEY_SETTINGS" h0)"
    expect_equal "h1" '*.doc readme' "$(reg_value "$KEY_SETTINGS" h1)"
    expect_equal "h2" '*.txt' "$(reg_value "$KEY_SETTINGS" h2)"
    # Choosing a line again moves it to the front instead of keeping two copies.
    run_host "$work/run3.txt" --folder "$sample_win" --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=*.txt;click:1" || fail "$(cat "$work/run3.txt")"
    expect_equal "h0 after reuse" '*.txt' "$(reg_value "$KEY_SETTINGS" h0)"
    expect_equal "h1 after reuse" 'メモ*' "$(reg_value "$KEY_SETTINGS" h1)"
    expect_equal "h2 after reuse" '*.doc readme' "$(reg_value "$KEY_SETTINGS" h2)"
    [ -z "$(reg_value "$KEY_SETTINGS" h3)" ] || fail "h3 exists after reuse"
    ;;

settings)
    reset_settings
    make_sample "$sample_win"
    run_host "$work/seed.txt" --folder "$sample_win" --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=readme;click:1" || fail "$(cat "$work/seed.txt")"
    # Installed already: Vestinst shows its settings at once. Copy to a place, history first.
    run_driven "$work/setup.txt" --answer 'click:1009;click:1005;click:1' \
        -- "$INSTALL_WIN\\Vestinst.exe" || fail "Vestinst: $(cat "$work/setup.txt")"
    expect_equal "dialogs of the settings course" "Vestrane 設定" \
        "$(report_values dialog "$work/setup.txt")"
    expect_equal "mode" 0x4 "$(reg_value "$KEY_SETTINGS" mode)"
    expect_equal "select" 0x1 "$(reg_value "$KEY_SETTINGS" select)"
    # The next run preselects that action and starts with the last line; Cancel ends it.
    report=$work/after.txt
    run_host "$report" --folder "$sample_win" --select main.c --invoke "$VESTRANE_LABEL" \
        --answer 'click:2' || fail "$(cat "$report")"
    expect_line "$report" "dialog-checked: 1006 場所を指定してコピー(&P)"
    expect_line "$report" "dialog-combo: 1000 readme"
    expect_equal "dialogs after Cancel" 1 "$(report_values dialogs "$report")"
    expect_set "selection after Cancel" "$report" selected main.c
    expect_equal "line after Cancel" readme "$(reg_value "$KEY_SETTINGS" h0)"
    # "The previous setting": the action of the last run comes back.
    run_driven "$work/setup2.txt" --answer 'click:1003;click:1004;click:1' \
        -- "$INSTALL_WIN\\Vestinst.exe" || fail "Vestinst: $(cat "$work/setup2.txt")"
    expect_line "$work/setup2.txt" "dialog-checked: 1009 場所を指定してコピー(&P)"
    expect_line "$work/setup2.txt" "dialog-checked: 1005 履歴の先頭(&T)"
    expect_equal "mode" 0x3 "$(reg_value "$KEY_SETTINGS" mode)"
    run_host "$work/cut.txt" --folder "$sample_win" --clear-clipboard \
        --invoke "$VESTRANE_LABEL" --answer "set:1000=*.c;click:1002;click:1" ||
        fail "$(cat "$work/cut.txt")"
    expect_set "cut" "$work/cut.txt" clipboard-file "$sample_win\\main.c" "$sample_win\\util.c"
    run_host "$work/previous.txt" --folder "$sample_win" --select main.h \
        --invoke "$VESTRANE_LABEL" --answer 'click:2' || fail "$(cat "$work/previous.txt")"
    expect_line "$work/previous.txt" "dialog-checked: 1002 クリップボードに切り取り(&T)"
    expect_line "$work/previous.txt" "dialog-combo: 1000 *.h"
    ;;

menu)
    # Windows 11's first menu: the command, with its title and the DLL's icon, for a file, a
    # folder item and the empty area, handed over as an empty array and as the folder itself.
    reset_settings
    make_sample "$sample_win"
    mkdir -p "$sample/folder"
    for place in "--select readme" "--select folder" --background \
        "--background --background-items folder"; do
        report=$work/menu.txt
        # shellcheck disable=SC2086
        run_host "$report" --folder "$sample_win" $place --invoke "$VESTRANE_LABEL" \
            --answer "set:1000=$MAIN_LINE;click:1005;click:1" || fail "$place: $(cat "$report")"
        expect_equal "entries with $place" "$VESTRANE_LABEL" "$(report_values modern-entry "$report")"
        case "$(report_values modern-icon "$report")" in
        "$INSTALL_WIN\Vestrane.dll,-"[0-9]*) ;;
        *) fail "icon with $place: $(cat "$report")" ;;
        esac
        expect_line "$report" "modern-icon-loaded: yes"
        expect_set "selected with $place" "$report" selected "${SAMPLE_MATCHING[@]}"
        expect_unloaded "$report"
    done
    # In a COM surrogate, as Windows runs it, given the proxy that Wine lacks: the menu comes
    # across (state, title and icon), from the DLL loaded there. Nothing is invoked (no entry
    # has the title asked for): Wine's proxies cut the item id lists that the command would
    # get through the site.
    register_command_proxy
    report=$work/surrogate.txt
    run_host "$report" --surrogate --folder "$sample_win" --select readme --invoke -
    expect_equal "host status in the surrogate" 2 "$?"
    expect_equal "entries from the surrogate" "$VESTRANE_LABEL" \
        "$(report_values modern-entry "$report")"
    expect_line "$report" "modern-icon-loaded: yes"
    expect_line "$report" "modern-surrogate: $INSTALL_WIN\Vestrane.dll"
    ;;

reach_view)
    # Today's layout: the view is reached through the site alone, through CWM_GETISHELLBROWSER
    # alone, and not at all; a site and a window that show another folder are not used.
    reset_settings
    make_sample "$sample_win"
    for route in --no-browser-message --no-site; do
        report=$work/route$route.txt
        run_host "$report" --layout today "$route" --folder "$sample_win" --select notes.txt \
            --invoke "$VESTRANE_LABEL" --answer "set:1000=$MAIN_LINE;click:1005;click:1" ||
            fail "$route: $(cat "$report")"
        expect_set "selected with $route" "$report" selected "${SAMPLE_MATCHING[@]}"
        expect_line "$report" "focused-file: notes.txt"
    done
    # Without either, the window classes are all there is, and today's hold no list view
    # that they could reach: the command ends silently.
    report=$work/unreached.txt
    run_host "$report" --layout today --no-site --no-browser-message --folder "$sample_win" \
        --select notes.txt --invoke "$VESTRANE_LABEL" --answer "click:1" ||
        fail "unreached: $(cat "$report")"
    expect_equal "dialogs without a view" 0 "$(report_values dialogs "$report")"
    expect_set "selected without a view" "$report" selected notes.txt
    # A view of another folder, in either layout, ends the command with a message before its
    # dialog; the designed layout's list view is not used instead (its labels behind the
    # clicked file's folder would name files the user never saw).
    mkdir -p "$work/other"
    for layout in today designed; do
        report=$work/other-$layout.txt
        run_host "$report" --layout $layout --other-view "$work_win\\other" \
            --folder "$sample_win" --select notes.txt --invoke "$VESTRANE_LABEL" \
            --answer "set:1000=*.txt;click:1007;click:1" || fail "$layout: $(cat "$report")"
        expect_equal "dialogs with another folder's view ($layout)" 1 \
            "$(report_values dialogs "$report")"
        expect_line "$report" "dialog-text: $OTHER_FOLDER_TEXT"
        expect_set "selected with another folder's view ($layout)" "$report" selected notes.txt
    done
    expect_sample_untouched
    # The designed layout without CWM_GETISHELLBROWSER: the list view found by its classes.
    report=$work/classes.txt
    run_host "$report" --no-browser-message --folder "$sample_win" --select notes.txt \
        --invoke "$VESTRANE_LABEL" --answer "set:1000=$MAIN_LINE;click:1005;click:1" ||
        fail "$(cat "$report")"
    expect_set "selected through the list view" "$report" selected "${SAMPLE_MATCHING[@]}"
    # The desktop's empty area: its view, reached through the site alone, shows the desktop
    # folder beside the computer's own items; with no way to reach it the command ends
    # silently. The desktop folder moves into the work folder for the case (in the prefix it
    # is the Linux home folder).
    desktop_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
    desktop_before=$(reg_value "$desktop_key" Desktop)
    [ -n "$desktop_before" ] || fail "the prefix names no desktop folder"
    trap 'wine_run "C:\windows\system32\reg.exe" add "$desktop_key" /v Desktop \
        /t REG_EXPAND_SZ /d "$desktop_before" /f >/dev/null 2>&1' EXIT
    rm -rf "$work/desktop"
    mkdir -p "$work/desktop"
    for name in memo.txt report.doc photo.jpg; do
        echo "$name" >"$work/desktop/$name"
    done
    wine_run 'C:\windows\system32\reg.exe' add "$desktop_key" /v Desktop /t REG_EXPAND_SZ \
        /d "$work_win\\desktop" /f >/dev/null 2>&1 || fail "cannot move the desktop folder"
    for route in --no-browser-message "--no-site --no-browser-message"; do
        report=$work/desktop.txt
        # shellcheck disable=SC2086
        run_host "$report" --layout today $route --desktop --background \
            --invoke "$VESTRANE_LABEL" --answer "set:1000=$MAIN_LINE;click:1005;click:1" ||
            fail "desktop $route: $(cat "$report")"
        report_values item "$report" | grep -qxF photo.jpg ||
            fail "the desktop shows no photo.jpg: $(cat "$report")"
        if [ "$route" = --no-browser-message ]; then
            expect_line "$report" "dialog-combo: 1000 *"
            expect_set "selected on the desktop" "$report" selected memo.txt report.doc
        else
            expect_equal "dialogs on an unreachable desktop" 0 \
                "$(report_values dialogs "$report")"
        fi
    done
    ;;

folder_and_background)
    # A folder item and the empty area run the command as a file does: select only, then copy
    # to the clipboard. Two folders join the sample, neither matching the line; the dialog
    # starts empty from a folder item (its name has no extension) and with "*" from the empty
    # area.
    reset_settings
    make_sample "$sample_win"
    mkdir -p "$sample/写真" "$sample/old.bak"
    for place in "--select 写真" --background; do
        start=
        [ "$place" = --background ] && start='*'
        for radio in 1005 1001; do
            report=$work/host.txt
            # shellcheck disable=SC2086
            run_host "$report" --folder "$sample_win" $place --clear-clipboard \
                --invoke "$VESTRANE_LABEL" --answer "set:1000=$MAIN_LINE;click:$radio;click:1" ||
                fail "$place: $(cat "$report")"
            expect_line "$report" "dialog-combo: 1000 $start"
            expect_set "selected ($place, $radio)" "$report" selected "${SAMPLE_MATCHING[@]}"
            if [ $radio = 1001 ]; then
                expect_clipboard "$report" 1
            else
                expect_line "$report" "clipboard-files: none"
            fi
        done
    done
    # A folder that holds only folders: its empty area selects, one of its folders copies.
    only_win="$work_win\\年度別"
    only=$(linux_path "$only_win")
    rm -rf "$only"
    mkdir -p "$only/2023" "$only/2024" "$only/old" "$only/資料表"
    report=$work/only.txt
    run_host "$report" --folder "$only_win" --background --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=20*;click:1005;click:1" || fail "$(cat "$report")"
    expect_set "selected in $only_win" "$report" selected 2023 2024
    run_host "$report" --folder "$only_win" --select old --clear-clipboard \
        --invoke "$VESTRANE_LABEL" --answer "set:1000=20*;click:1001;click:1" ||
        fail "$(cat "$report")"
    expect_set "selected from a folder item" "$report" selected 2023 2024
    expect_set "copied from a folder item" "$report" clipboard-file \
        "$only_win\\2023" "$only_win\\2024"
    ;;

exclude_and_count)
    # A line with "|": the patterns behind it leave their names out. The dialog counts what
    # the line in the box would select, out of the window's 41 items: for the extension it
    # starts with, and again once the line is typed.
    reset_settings
    make_sample "$sample_win"
    report=$work/host.txt
    run_host "$report" --folder "$sample_win" --select notes.txt --invoke "$VESTRANE_LABEL" \
        --answer "wait:1000;report:1008;set:1000=$MAIN_LINE | メモ* *.doc;wait:1000;report:1008;click:1005;click:1" ||
        fail "$(cat "$report")"
    expect_equal "counts shown" "1008 一致: 10 / 41
1008 一致: 12 / 41" "$(report_values dialog-static "$report" | tail -n 2)"
    expect_set "selected" "$report" selected readme README.md readme.bak notes.txt todo.TXT \
        readme2.txt 表計算.txt 表.txt café.txt cafe.txt 한글.txt 😀.txt
    ;;

english)
    # An English UI (Wine takes the UI language from the locale a program starts in): the
    # menu, the dialog and the result message in English. A line with a character that code
    # page 932 lacks selects only what it names: "café.txt" neither "cafe.txt" nor another.
    reset_settings
    make_sample "$sample_win"
    empty_target target
    settle_folders
    report=$work/host.txt
    LC_ALL=en_US.UTF-8 run_host "$report" --folder "$sample_win" --select notes.txt \
        --invoke 'Select by &Wildcard...' \
        --answer "set:1000=café.txt;wait:1000;report:1008;click:1006;click:1" \
        --answer "folder:$target_win;click:1" \
        --answer "click:1" || fail "$(cat "$report")"
    expect_line "$report" "menu: Select by &Wildcard..."
    expect_line "$report" "help: Selects files by wildcard patterns."
    expect_line "$report" "dialog: Select by Wildcard"
    expect_line "$report" "dialog-checked: 1005 Select O&nly"
    expect_line "$report" "dialog-static: 1008 Matches: 1 of 41"
    expect_set "selected by café.txt" "$report" selected café.txt
    expect_line "$report" "dialog-text: Files copied: 1."
    expect_equal "files in the target folder" café.txt "$(ls -1 "$target")"
    ;;

same_name_move)
    # Two files whose names differ only in case (Wine, like a case-sensitive folder, holds
    # both), and the target holds that name already: Yes to replacing it with the first, No
    # for the second. The second stays where it was.
    reset_settings
    rm -rf "$sample"
    mkdir -p "$sample"
    for name in Memo.txt memo.txt other.doc; do
        printf '%s\n' "$name" >"$sample/$name"
    done
    empty_target target
    echo stale >"$target/memo.txt"
    settle_folders
    report=$work/host.txt
    run_host "$report" --folder "$sample_win" --select other.doc --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=memo*;click:1007;click:1" --answer "folder:$target_win;click:1" \
        --answer "click:6" --answer "click:7" --answer "click:1" || fail "$(cat "$report")"
    left=$(ls "$sample" | grep -ix memo.txt)
    expect_line "$report" \
        "dialog-text: 移動は中止されました。1 個のファイルを移動しました。\\n次の 1 個は移動しませんでした: $left"
    expect_equal "files left of the two" 1 "$(printf '%s\n' "$left" | grep -c .)"
    moved=Memo.txt
    [ "$left" = Memo.txt ] && moved=memo.txt
    expect_equal "the target's file" "$moved" "$(cat "$target/memo.txt")"
    expect_equal "the file the user kept" "$left" "$(cat "$sample/$left")"
    # The replacing move's source is in the Recycle Bin (Wine's is the XDG trash), where Undo
    # of the copy leaves it to the user; the case takes it out again.
    trash=${XDG_DATA_HOME:-$HOME/.local/share}/Trash
    info=$(grep -lxF "Path=$E2E_PREFIX/dosdevices/c:/e2e/$case_name/sample/$moved" \
        "$trash"/info/*.trashinfo 2>/dev/null | head -n 1)
    [ -n "$info" ] || fail "the source of the replacing move, $moved, is not in the trash"
    rm -f "$trash/files/$(basename "$info" .trashinfo)" "$info"
    ;;

hidden_extensions)
    # HideFileExt=1, as Windows has it: the labels lose their extensions, the files do not.
    reset_settings
    rm -rf "$sample"
    mkdir -p "$sample"
    for name in readme readme.txt notes.txt photo.jpg report.doc; do
        printf '%s\n' "$name" >"$sample/$name"
    done
    for layout in designed today; do
        report=$work/readme-$layout.txt
        run_host "$report" --layout "$layout" --hide-extensions --folder "$sample_win" \
            --select notes.txt --clear-clipboard --invoke "$VESTRANE_LABEL" \
            --answer "set:1000=readme;click:1001;click:1" || fail "$layout: $(cat "$report")"
        expect_set "labels shown ($layout)" "$report" item notes photo readme readme report
        expect_set "selected by readme ($layout)" "$report" selected-file readme readme.txt
        expect_set "clipboard after readme ($layout)" "$report" clipboard-file \
            "$sample_win\\readme" "$sample_win\\readme.txt"
        report=$work/txt-$layout.txt
        run_host "$report" --layout "$layout" --hide-extensions --folder "$sample_win" \
            --select photo.jpg --invoke "$VESTRANE_LABEL" \
            --answer "set:1000=*.txt;click:1005;click:1" || fail "$layout: $(cat "$report")"
        expect_set "selected by *.txt ($layout)" "$report" selected-file notes.txt readme.txt
        # The clicked file does not match: the focus goes to the first match.
        expect_line "$report" "focused-file: notes.txt"
    done
    # Added to the selection: a quoted pattern of the name shown, and a file name that the label
    # does not show; the clipboard takes what is selected then, the clicked file too.
    report=$work/added.txt
    run_host "$report" --layout today --hide-extensions --folder "$sample_win" \
        --select photo.jpg --clear-clipboard --invoke "$VESTRANE_LABEL" \
        --answer 'set:1000="notes" report.doc;click:1011;click:1001;click:1' ||
        fail "add: $(cat "$report")"
    expect_set "selected after adding" "$report" selected-file notes.txt photo.jpg report.doc
    expect_set "clipboard after adding" "$report" clipboard-file "$sample_win\\notes.txt" \
        "$sample_win\\photo.jpg" "$sample_win\\report.doc"
    reset_settings
    # Everything but the .txt files moved: "| *.txt" leaves them out by their file names,
    # which the labels do not show.
    empty_target target
    settle_folders
    report=$work/move-but-txt.txt
    run_host "$report" --layout today --hide-extensions --folder "$sample_win" \
        --select photo.jpg --invoke "$VESTRANE_LABEL" \
        --answer "set:1000=| *.txt;click:1007;click:1" --answer "folder:$target_win;click:1" \
        --answer "click:1" || fail "move: $(cat "$report")"
    expect_equal "moved by | *.txt" "$(sorted photo.jpg readme report.doc)" \
        "$(ls -1 "$target" | LC_ALL=C sort)"
    expect_equal "left by | *.txt" "$(sorted notes.txt readme.txt)" \
        "$(ls -1 "$sample" | LC_ALL=C sort)"
    ;;

uninstall)
    # The last case ends the prefix's session, also when it fails.
    trap '"$TOOLS/wine-session" stop "$E2E_PREFIX"' EXIT
    report=$work/uninstall.txt
    run_driven "$report" --answer 'click:1' -- "$INSTALL_WIN\\Vestinst.exe" u ||
        fail "Vestinst u ended with $?: $(cat "$report")"
    expect_line "$report" "dialog-text: アンインストールしました。\\nVestrane.DLL, Vestinst.exe は再起動後に削除されます。"
    for key in "$KEY_CLASS" "$KEY_HANDLER" "$KEY_FOLDER_HANDLER" "$KEY_BACKGROUND_HANDLER" \
        "$KEY_UNINSTALL" "$KEY_SETTINGS"; do
        ! key_exists "$key" || fail "$key is still there after the removal"
    done
    key_exists "$KEY_SETTINGS_PARENT" || fail "$KEY_SETTINGS_PARENT has gone as well"
    [ ! -e "$INSTALL_DIR/Vestrane.txt" ] || fail "Vestrane.txt was not deleted"
    # No Explorer holds the DLL: it goes at once. Where the running program goes is
    # setup_process_test's to show.
    [ ! -e "$INSTALL_DIR/Vestrane.dll" ] || fail "Vestrane.dll was not deleted"
    # Explorer's side: neither the file's menu nor the empty area's offers the entry.
    make_sample "$sample_win"
    for place in "--select readme" --background; do
        # shellcheck disable=SC2086
        run_host "$work/menu.txt" --folder "$sample_win" $place --invoke "$VESTRANE_LABEL"
        status=$?
        expect_equal "host status without the entry ($place)" 2 "$status"
        expect_no_line "$work/menu.txt" "handler: Vestrane"
        expect_no_line "$work/menu.txt" "menu: $VESTRANE_LABEL"
    done
    ;;

msi)
    # The Windows Installer packages, built from this build's files with tools/make-msi, in a
    # prefix of their own (E2E_PREFIX names it): installed, upgraded and removed silently by
    # Wine's msiexec, beside Vestinst. The x86 package only as far as no 32-bit code runs.
    trap '"$TOOLS/wine-session" stop "$E2E_PREFIX"' EXIT
    started=$SECONDS
    for tool in wixl msibuild msiinfo; do
        command -v $tool >/dev/null || fail "$tool is missing (tools/install-deps installs it)"
    done
    entries=$work/entries.txt
    wine_run "$FACTS" facts | tr -d '\r' >"$work/facts.txt" || fail "vestrane-facts facts"
    wine_run "$FACTS" entries | tr -d '\r' >"$entries" || fail "vestrane-facts entries"
    product=$(sed -n 's/^product\t//p' "$work/facts.txt")
    x86_win="C:\\Program Files (x86)\\$product"
    other_win="C:\\Program Files\\ツール 表"
    public_win='C:\Users\Public\Vestrane'
    # What an earlier run left: packages, files, and Vestinst's registration of the last step.
    for code in $(apps_entries "$product"); do
        msi_run /x "$code" /qn >/dev/null
    done
    remove_registration "$entries"
    rm -rf "$INSTALL_DIR" "$(linux_path "$x86_win")" "$(linux_path "$other_win")" "$work/files"
    mkdir -p "$work/files"
    cp "$VESTINST" "$VESTRANE" "$work/files/"
    printf 'Vestrane\r\n' >"$work/files/Vestrane.txt"
    printf 'PK\3\4' >"$work/files/Vestrane.msix"
    declare -A code=()
    package() {
        local name=$1 arch=$2
        shift 2
        code[$name]=$(python3 "$TOOLS/make-msi" --arch "$arch" --facts "$work/facts.txt" \
            --entries "$entries" --files "$work/files" --icon "$TOOLS/../shellext/vestrane.ico" \
            --output "$work/$name.msi" "$@") ||
            fail "make-msi $name"
    }
    # The project's version twice (a build of the same version replaces the installed one), a
    # newer one and the x86 package.
    package current x64
    package rebuilt x64
    version=$(msiinfo export "$work/current.msi" Property | sed -n 's/^ProductVersion\t//p' |
        tr -d '\r')
    newer=${version%.*}.$((${version##*.} + 1))
    package newer x64 --version "$newer"
    package x86 x86
    echo "four packages built in $((SECONDS - started)) s"

    # expect_installed CODE VERSION [VIEW]: Apps & Features shows this one entry, with the
    # version (kept in the package's registry view).
    expect_installed() {
        expect_equal "entries in Apps & Features" "$1" "$(apps_entries "$product")"
        expect_equal "version in Apps & Features" "$2" \
            "$(reg_value "HKLM\\$(shared_fact kUninstallParent)\\$1" DisplayVersion \
                /reg:"${3:-64}")"
    }
    expect_files() {
        local name
        for name in Vestrane.dll Vestinst.exe Vestrane.txt Vestrane.msix; do
            cmp -s "$work/files/$name" "$(linux_path "$1")/$name" ||
                fail "$1\\$name is not the package's"
        done
    }
    # expect_removed FOLDER VIEW: no entry in Apps & Features, no file, no registry entry.
    expect_removed() {
        expect_equal "entries in Apps & Features" "" "$(apps_entries "$product")"
        [ ! -e "$(linux_path "$1")" ] || fail "$1 is still there"
        expect_equal "registry entries ($2-bit view)" "" "$(registration_dump "$2" "$entries")"
    }
    # menu_runs NAME i|x PACKAGE ARGS...: msiexec's exit code and, each after a bar, the installed
    # Vestinst's arguments as Wine's trace names them (its /l*v log names no command line).
    menu_runs() {
        local line exe="\"$INSTALL_WIN\\Vestinst.exe\" "
        WINEDEBUG=+msi wine_run msiexec /"$2" "$work_win\\$3" "${@:4}" /qn >/dev/null \
            2>"$work/$1.trace"
        printf '%s' $?
        sed -n 's/.*:HANDLE_CustomType34 cmd L"\(.*\)" dir L".*/\1/p' "$work/$1.trace" |
            sed 's/\\\(.\)/\1/g' | while IFS= read -r line; do printf '|%s' "${line#"$exe"}"; done
    }
    # vestinst_refuses_removal FOLDER: Vestinst's "u" beside the package ends with 1 after one
    # message that names the folder, and leaves the files and the entries.
    vestinst_refuses_removal() {
        local before
        before=$(registration_dump 64 "$entries")
        run_driven "$work/vestinst.txt" --answer 'click:1' -- "$1\\Vestinst.exe" u
        expect_line "$work/vestinst.txt" "exit: 1"
        expect_equal "messages of the refused removal" 1 \
            "$(grep -c '^dialog-text: ' "$work/vestinst.txt")"
        grep -qF "$1\\\\n" "$work/vestinst.txt" ||
            fail "the refusal names no folder: $(cat "$work/vestinst.txt")"
        expect_files "$1"
        expect_equal "entries after the refused removal" "$before" \
            "$(registration_dump 64 "$entries")"
    }

    # Refused with nothing installed: a folder outside Program Files, also through "..".
    for folder in "$public_win" "C:\\Program Files\\..\\Users\\Public\\Vestrane"; do
        expect_equal "INSTALLDIR=$folder" $((1603 % 256)) \
            "$(msi_run /i "$work_win\\current.msi" INSTALLDIR="$folder" /qn)"
        expect_removed "$public_win" 64
    done

    expect_equal "silent installation" 0 "$(msi_run /i "$work_win\\current.msi" /qn)"
    expect_installed "${code[current]}" "$version"
    expect_files "$INSTALL_WIN"
    msi_entries=$(registration_dump 64 "$entries")
    expect_equal "the package's entries" "$(table_dump "$INSTALL_WIN\\Vestrane.dll" "$entries")" \
        "$msi_entries"
    # Explorer's side: the entry in the menus of a file, a folder item and the empty area; the
    # empty area runs a selection.
    make_sample "$sample_win"
    mkdir -p "$sample/folder"
    for place in "--select readme" "--select folder" --background; do
        answer='click:2'
        [ "$place" = --background ] && answer="set:1000=$MAIN_LINE;click:1005;click:1"
        # shellcheck disable=SC2086
        run_host "$work/menu.txt" --folder "$sample_win" $place --invoke "$VESTRANE_LABEL" \
            --answer "$answer" || fail "explorer-host $place: $(cat "$work/menu.txt")"
        expect_equal "entries with $place" 1 \
            "$(grep -cxF "menu: $VESTRANE_LABEL" "$work/menu.txt")"
        expect_unloaded "$work/menu.txt"
    done
    expect_set "selected from the empty area" "$work/menu.txt" selected "${SAMPLE_MATCHING[@]}"

    expect_equal "the same version again" 0 "$(msi_run /i "$work_win\\rebuilt.msi" /qn)"
    expect_installed "${code[rebuilt]}" "$version"
    expect_equal "upgrade" 0 "$(msi_run /i "$work_win\\newer.msi" /qn)"
    expect_installed "${code[newer]}" "$newer"
    expect_files "$INSTALL_WIN"
    expect_equal "downgrade" $((1603 % 256)) "$(msi_run /i "$work_win\\current.msi" /qn)"
    expect_installed "${code[newer]}" "$newer"

    # Vestinst beside the package refuses to remove it (the settings-only course is the flow
    # tests').
    vestinst_refuses_removal "$INSTALL_WIN"
    case "$(reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager' \
        PendingFileRenameOperations)" in
    *"$product"*) fail "files scheduled for deletion" ;;
    esac

    expect_equal "silent removal" 0 "$(msi_run /x "$work_win\\newer.msi" /qn)"
    expect_removed "$INSTALL_WIN" 64

    # Another folder, named on the command line: the server's path follows it, an upgrade
    # stays there, Vestinst knows the package's installation there too, and the removal
    # finds the files.
    expect_equal "installation into INSTALLDIR" 0 \
        "$(msi_run /i "$work_win\\current.msi" INSTALLDIR="$other_win" /qn)"
    expect_equal "upgrade in INSTALLDIR" 0 "$(msi_run /i "$work_win\\rebuilt.msi" /qn)"
    expect_installed "${code[rebuilt]}" "$version"
    [ ! -e "$INSTALL_DIR" ] || fail "the upgrade went to the default folder"
    expect_equal "entries for INSTALLDIR" "$(table_dump "$other_win\\Vestrane.dll" "$entries")" \
        "$(registration_dump 64 "$entries")"
    vestinst_refuses_removal "$other_win"
    expect_equal "upgrade to INSTALLDIR" 0 \
        "$(msi_run /i "$work_win\\newer.msi" INSTALLDIR="$INSTALL_WIN" /qn)"
    expect_files "$INSTALL_WIN"
    expect_equal "removal by product code" 0 "$(msi_run /x "${code[newer]}" /qn)"
    expect_removed "$other_win" 64

    # The x86 package refuses 64-bit Windows, whose two registry views share the handler keys.
    expect_equal "x86 installation" $((1603 % 256)) "$(msi_run /i "$work_win\\x86.msi" /qn)"
    expect_removed "$x86_win" 32

    # Last, Vestinst in the package's folder writes what the package wrote, from the same
    # table (its uninstall entry aside); the package takes it over. Its Windows 11 steps fail here.
    mkdir -p "$INSTALL_DIR"
    cp "$work/files/"* "$INSTALL_DIR/"
    report=$work/vestinst-install.txt
    run_driven "$report" --answer 'click:6' --answer 'click:6' --answer 'click:1' \
        --answer 'click:1' -- "$INSTALL_WIN\\Vestinst.exe" || fail "Vestinst: $(cat "$report")"
    expect_equal "Vestinst's entries beside the package's" "$msi_entries" \
        "$(registration_dump 64 "$entries")"
    removed='|/package remove /quiet' both='|/package remove /quiet|/package add /quiet'
    expect_equal "over Vestinst" "0$removed" "$(menu_runs install i current.msi)"
    expect_installed "${code[current]}" "$version"
    expect_equal "WINDOWS11MENU=1" "0$both" "$(menu_runs menu i rebuilt.msi WINDOWS11MENU=1)"
    expect_equal "upgrade, WINDOWS11MENU kept" "0$both" "$(menu_runs upgrade i newer.msi)"
    expect_equal "removal" "0$removed" "$(menu_runs remove x newer.msi)"
    expect_removed "$INSTALL_WIN" 64
    echo "the case took $((SECONDS - started)) s"
    ;;

*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASSED: $case_name"
