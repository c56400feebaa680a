# Shared by the end-to-end cases and the demo: a Wine prefix of their own, the sample folder,
# running the real programs, and reading the registry and the reports.
# Needs: TOOLS (the tools folder), E2E_PREFIX (the prefix folder).

# shellcheck source=../../tools/wine-env.sh
source "$TOOLS/wine-env.sh" "$E2E_PREFIX" || exit 2

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# shared_fact NAME: a text of common/shared_facts.h, where the programs keep the class
# identifier and the registry names they share.
shared_fact() {
    local value
    value=$(grep -A1 "constexpr wchar_t $1\[\] =" "$TOOLS/../common/shared_facts.h" |
        grep -o '"[^"]*"' | head -n 1)
    [ -n "$value" ] || fail "common/shared_facts.h has no $1"
    value=${value#\"}
    value=${value%\"}
    printf '%s\n' "${value//\\\\/\\}"
}

# The entry's label in the classic menu; a case of Windows 11's first menu sets the command's
# title instead.
VESTRANE_LABEL='ワイルドカードで一括選択(&W)'
readonly VESTRANE_TITLE='ワイルドカードで一括選択'
readonly VESTRANE_HELP='ワイルドカードでファイルを一括選択します。'
# The start of Vestinst's warning about a folder that others may change, before the folder.
readonly UNSAFE_FOLDER_TEXT='このフォルダまたは Vestrane.dll は、管理者以外のユーザーも書き換えられます:\n'
# The command's message when the window shows another folder than the clicked item's.
readonly OTHER_FOLDER_TEXT='このウインドウには、右クリックした項目のフォルダが表示されていません。\nそのフォルダのウインドウで、もう一度実行してください。'
VESTRANE_CLSID=$(shared_fact kClassIdText) || exit 1
COMMAND_CLSID=$(shared_fact kCommandClassIdText) || exit 1
product=$(shared_fact kProductName) || exit 1
handler_parent=$(shared_fact kHandlerParent) || exit 1
folder_handler_parent=$(shared_fact kFolderHandlerParent) || exit 1
background_handler_parent=$(shared_fact kBackgroundHandlerParent) || exit 1
uninstall_parent=$(shared_fact kUninstallParent) || exit 1
settings_key=$(shared_fact kSettingsKey) || exit 1
settings_parent=$(shared_fact kSettingsParent) || exit 1
readonly VESTRANE_CLSID COMMAND_CLSID
readonly KEY_CLASS="HKCR\\CLSID\\$VESTRANE_CLSID"
readonly KEY_HANDLER="HKCR\\$handler_parent\\$product"
readonly KEY_FOLDER_HANDLER="HKCR\\$folder_handler_parent\\$product"
readonly KEY_BACKGROUND_HANDLER="HKCR\\$background_handler_parent\\$product"
readonly KEY_UNINSTALL="HKLM\\$uninstall_parent\\$product"
readonly KEY_SETTINGS="HKCU\\$settings_key"
readonly KEY_SETTINGS_PARENT="HKCU\\$settings_parent"
unset product handler_parent folder_handler_parent background_handler_parent uninstall_parent
unset settings_key settings_parent
readonly MAIN_LINE='*.txt .doc readme'
# Where the setup files are installed, as the README tells a user: under Program Files, which
# only administrators may write.
readonly INSTALL_WIN='C:\Program Files\Vestrane'
readonly INSTALL_DIR="$E2E_PREFIX/drive_c/Program Files/Vestrane"

# The sample folder: the names that the line "*.txt .doc readme" matches, and the others.
# Among them names that the ANSI calls read wrong: "café" as "cafe" (the name of another
# file), Hangul and the emoji as "?", and "¥" as a backslash, which made the last name a
# path to Documents\taxes.doc two folders up.
SAMPLE_MATCHING=(
    readme README.md readme.bak notes.txt todo.TXT readme2.txt report.doc letter.doc
    表計算.txt ソフト.doc 報告書.doc メモ.txt 表.txt café.txt cafe.txt 한글.txt 😀.txt
    'x¥..¥..¥Documents¥taxes.doc'
)
SAMPLE_OTHERS=(
    report.docx 写真.jpg image01.jpg image02.png photo.JPG data.csv budget.xls main.c main.h
    util.c util.h Makefile setup.exe archive.tar.gz archive.zip index.html style.css script.js
    txt.bak doc 予定表.xls 議事録.docx ダウンロード.zip
)

# Runs a Windows program of the prefix, never longer than two minutes.
wine_run() {
    timeout 120 wine64 "$@"
}

# linux_path WINDOWS_PATH: where a path of drive C: lies on the Linux side.
linux_path() {
    local windows=${1#C:}
    echo "$E2E_PREFIX/drive_c${windows//\\//}"
}

# make_sample WINDOWS_FOLDER: the sample files, each holding its own name.
make_sample() {
    local dir
    dir=$(linux_path "$1")
    rm -rf "$dir"
    mkdir -p "$dir"
    local name
    for name in "${SAMPLE_MATCHING[@]}" "${SAMPLE_OTHERS[@]}"; do
        printf '%s\n' "$name" >"$dir/$name"
    done
}

sorted() { printf '%s\n' "$@" | LC_ALL=C sort; }

# reg_query KEY [reg options...]: the output of reg.exe in UTF-8; the status is reg's.
reg_query() {
    local out status
    out=$(wine_run 'C:\windows\system32\reg.exe' query "$@" 2>/dev/null)
    status=$?
    printf '%s\n' "$out" | iconv -f CP932 -t UTF-8 | tr -d '\r'
    return $status
}

# reg_value KEY NAME [reg options...]: the data of one value (after its type), or nothing.
reg_value() {
    reg_query "$1" /v "$2" "${@:3}" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

reg_default() {
    reg_query "$1" /ve | sed -n 's/^ *([^)]*) *REG_[A-Z_]* *//p'
}

key_exists() {
    wine_run 'C:\windows\system32\reg.exe' query "$1" >/dev/null 2>&1
}

reg_delete() {
    wine_run 'C:\windows\system32\reg.exe' delete "$1" /f >/dev/null 2>&1 || true
}

# report_values KEY FILE: every value of the report lines "KEY: value".
report_values() {
    sed -n "s/^$1: //p" "$2"
}

expect_equal() {
    local what=$1 expected=$2 actual=$3
    [ "$expected" = "$actual" ] ||
        fail "$what: expected [$expected], got [$actual]"
}

# expect_set WHAT FILE KEY NAMES...: the report's values for KEY are exactly NAMES, any order.
expect_set() {
    local what=$1 file=$2 key=$3
    shift 3
    local expected actual
    expected=$(sorted "$@")
    actual=$(report_values "$key" "$file" | LC_ALL=C sort)
    [ "$expected" = "$actual" ] ||
        fail "$what: expected
$expected
got
$actual"
}

expect_line() {
    local file=$1 line=$2
    grep -qxF -- "$line" "$file" || fail "the report lacks [$line]:
$(cat "$file")"
}

expect_no_line() {
    local file=$1 line=$2
    ! grep -qxF -- "$line" "$file" || fail "the report has [$line]"
}

# run_tool NAME PROGRAM REPORT_FILE ARGS...: a tool with a report file; the status is the tool's.
run_tool() {
    local name=$1 program=$2 report=$3
    shift 3
    rm -f "$report"
    wine_run "$program" --report "$(winpath "$report")" --timeout 60 "$@" >/dev/null 2>&1
    local status=$?
    [ -f "$report" ] || fail "$name wrote no report (status $status)"
    return $status
}

# The stand-in Explorer's window layout and its other switches for every run of a case
# (empty: the designed layout).
HOST_LAYOUT=()

# run_host REPORT_FILE ARGS...: the stand-in Explorer.
run_host() {
    local report=$1
    shift
    run_tool explorer-host "$HOST" "$report" ${HOST_LAYOUT[@]+"${HOST_LAYOUT[@]}"} "$@"
}

# run_driven REPORT_FILE ANSWER_OPTIONS... -- PROGRAM ARGS...: a program under the dialog driver.
run_driven() { run_tool dialog-driver "$DRIVER" "$@"; }

# The Windows form of a Linux path (Wine's Z: drive shows the whole Linux tree).
winpath() {
    local path
    path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    echo "Z:${path//\//\\}"
}

# The bytes of a file list in the shell's drop-file form with UTF-16 names: the 20-byte
# header (pFiles = 20, no point, not client area, wide), each name in UTF-16 with its zero,
# one more zero.
hdrop_hex() {
    local hex='14000000'
    hex+=$(printf '%024d' 0)
    hex+='01000000'
    local path
    for path in "$@"; do
        hex+=$(printf '%s' "$path" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')
        hex+='0000'
    done
    echo "${hex}0000"
}

# register_command_class: the command of Windows 11's first menu, which on Windows the package
# declares, registered for COM with the installed DLL, in process or in a surrogate (its own
# AppID). Under HKEY_CLASSES_ROOT: Wine 8's COM reads no HKEY_CURRENT_USER\Software\Classes.
# DllSurrogate names Wine's 64-bit dllhost.exe: left empty, Wine 8 starts the 32-bit one.
register_command_class() {
    local class="HKCR\\CLSID\\$COMMAND_CLSID"
    run_batch "reg add \"$class\\InprocServer32\" /ve /d \"$INSTALL_WIN\\Vestrane.dll\" /f
reg add \"$class\\InprocServer32\" /v ThreadingModel /d Apartment /f
reg add \"$class\" /v AppID /d \"$COMMAND_CLSID\" /f
reg add \"HKCR\\AppID\\$COMMAND_CLSID\" /v DllSurrogate /d C:\\windows\\system32\\dllhost.exe /f" \
        >/dev/null 2>&1 || fail "cannot register the command's class"
}

# The interfaces whose proxy tools/explorer_host/command_proxy builds, by their ids in its IDL.
command_proxy_interfaces() {
    grep -o 'uuid([^)]*)' "$TOOLS/explorer_host/command_proxy/explorer_command.idl" |
        sed 's/uuid(\(.*\))/{\1}/'
}

# register_command_proxy: the proxy of IExplorerCommand that Wine lacks, for a command in a
# surrogate (COMMAND_PROXY: the built DLL). Its class is the first interface's id.
register_command_proxy() {
    [ -f "${COMMAND_PROXY:-}" ] ||
        fail "the IExplorerCommand proxy was not built (widl: tools/install-deps installs mingw-w64-tools)"
    local interfaces commands="" interface
    mapfile -t interfaces < <(command_proxy_interfaces)
    [ ${#interfaces[@]} -gt 0 ] || fail "the proxy's IDL names no interface"
    for interface in "${interfaces[@]}"; do
        commands+="reg add \"HKCR\\Interface\\$interface\\ProxyStubClsid32\" /ve /d \"${interfaces[0]}\" /f"$'\n'
    done
    commands+="reg add \"HKCR\\CLSID\\${interfaces[0]}\\InprocServer32\" /ve /d \"$(winpath "$COMMAND_PROXY")\" /f"$'\n'
    commands+="reg add \"HKCR\\CLSID\\${interfaces[0]}\\InprocServer32\" /v ThreadingModel /d Both /f"
    run_batch "$commands" >/dev/null 2>&1 || fail "cannot register the IExplorerCommand proxy"
}

# unregister_command_class: the class, its surrogate and the proxy gone again.
unregister_command_class() {
    local commands="reg delete \"HKCR\\CLSID\\$COMMAND_CLSID\" /f
reg delete \"HKCR\\AppID\\$COMMAND_CLSID\" /f" interface first=""
    while IFS= read -r interface; do
        [ -n "$first" ] || first=$interface
        commands+=$'\n'"reg delete \"HKCR\\Interface\\$interface\" /f"
    done < <(command_proxy_interfaces)
    commands+=$'\n'"reg delete \"HKCR\\CLSID\\$first\" /f"
    run_batch "$commands" >/dev/null 2>&1 || true
}

# Clean start for the prefix's settings record.
reset_settings() {
    reg_delete "$KEY_SETTINGS"
}

start_session() {
    "$TOOLS/wine-session" start "$E2E_PREFIX" || fail "cannot start Wine in $E2E_PREFIX"
    # A crash ends the program at once instead of waiting for a debugger.
    wine_run 'C:\windows\system32\reg.exe' add \
        'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
        >/dev/null 2>&1
}

# run_batch LINES: the commands, one a line, run by one cmd from a batch file: each reg.exe
# started from Linux would cost a start of Wine, seconds over a case (and cmd /c mangles the
# quotes of a command line).
run_batch() {
    local batch="$E2E_PREFIX/drive_c/e2e-batch.cmd"
    printf '@echo off\r\n%s' "${1//$'\n'/$'\r\n'}" >"$batch"
    wine_run cmd /c 'C:\e2e-batch.cmd'
}

# The table's lines with their fields split by a character that read does not count as a
# blank: tabs in a row would be taken for one, and an empty value name lost.
entry_fields() { tr '\t' '\037' <"$1"; }

# registration_dump VIEW ENTRIES: the values of the keys that the table's entries for every
# installer name (ENTRIES: what vestrane-facts entries prints), as reg.exe reads them in the
# registry view VIEW (32 or 64): one line "KEY|NAME|TYPE|DATA" each, sorted, the default
# value's name empty. Every value of a key the registration owns and of the keys below it,
# so that nothing more hides there; of a key it shares with others (the approved
# extensions) only the entry's own.
registration_dump() {
    local view=$1 entries=$2
    local root key name data text owns who owned="" queries=""
    while IFS=$'\037' read -r root key name data text owns who; do
        [ "$who" = every-installer ] || continue
        if [ "$owns" = value-only ]; then
            queries+="reg query \"$root\\$key\" /v \"$name\" /reg:$view"$'\n'
            continue
        fi
        case "$owned" in
        *"|$root\\$key|"* | *"|$root\\${key%\\*}|"*) continue ;;
        esac
        owned+="|$root\\$key|"
        queries+="reg query \"$root\\$key\" /s /reg:$view"$'\n'
    done < <(entry_fields "$entries")
    run_batch "$queries" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' | awk '
        /^HKEY_/ {
            key = $0
            sub(/^HKEY_CLASSES_ROOT/, "HKCR", key)
            sub(/^HKEY_LOCAL_MACHINE/, "HKLM", key)
            next
        }
        substr($0, 1, 4) == "    " && match($0, /    REG_[A-Z_]+    /) {
            name = substr($0, 5, RSTART - 5)
            if (name ~ /^\(.*\)$/) name = ""
            type = substr($0, RSTART + 4, RLENGTH - 8)
            print key "|" name "|" type "|" substr($0, RSTART + RLENGTH)
        }' | LC_ALL=C sort
}

# remove_registration ENTRIES: every entry of the table taken away as reg.exe can, in one
# cmd: owned keys whole, shared keys' values alone.
remove_registration() {
    local root key name data text owns who commands=""
    while IFS=$'\037' read -r root key name data text owns who; do
        if [ "$owns" = owns-key ]; then
            commands+="reg delete \"$root\\$key\" /f"$'\n'
        else
            commands+="reg delete \"$root\\$key\" /v \"$name\" /f"$'\n'
        fi
    done < <(entry_fields "$1")
    run_batch "$commands" >/dev/null 2>&1
}

# table_dump DLL_PATH ENTRIES: what registration_dump reads where every entry for every
# installer stands as the table says, the server's path being DLL_PATH.
table_dump() {
    local root key name data text owns who
    while IFS=$'\037' read -r root key name data text owns who; do
        [ "$who" = every-installer ] || continue
        [ "$data" = dll-path ] && text=$1
        printf '%s\\%s|%s|REG_SZ|%s\n' "$root" "$key" "$name" "$text"
    done < <(entry_fields "$2") | LC_ALL=C sort
}

# apps_entries PRODUCT: the keys of the entries that Apps & Features shows under the name.
apps_entries() {
    wine_run uninstaller --list 2>/dev/null | tr -d '\r' | sed -n "s/^\(.*\)|||$1\$/\1/p"
}

# msi_run ARGS...: Wine's msiexec; prints the status, which Wine cuts to 8 bits (1603, a
# refused installation, reads 67), so the caller compares it with a code % 256.
msi_run() {
    wine_run msiexec "$@" >/dev/null 2>&1
    echo $?
}
