// Every text that the setup program shows in a message box. The sources are UTF-8; the
// Windows build stores narrow literals in code page 932, and the program converts them
// explicitly to UTF-16 to show them (setup_messages.h). A "%s" is replaced by a path or a
// registry key when the text is shown.
#pragma once

constexpr char kCaptionError[] = "Error";
constexpr char kCaptionVestrane[] = "Vestrane";

constexpr char kTextDllMissing[] = "Vestrane.DLL を同じフォルダに入れて実行して下さい。";
constexpr char kTextNotHardDisk[] =
    "Vestinst.exe, Vestrane.DLL はハードディスクにコピーして実行して下さい。";
constexpr char kTextInstalled[] = "インストール終了しました。続けて設定を行います。";
constexpr char kTextPathTooLong[] = "フォルダのパスが長すぎます。Vestinst.exe, Vestrane.DLL "
                                    "を短いパスのフォルダに入れて実行して下さい。";
// The x86 program under WOW64.
constexpr char kTextNeedsX64Setup[] =
    "この 32 ビット版の Vestinst.exe は 64 ビット版の Windows ではインストールもアンインストールも"
    "できません。\nx64 版の Vestinst.exe と Vestrane.dll を使ってください。";

constexpr char kTextInstallQuestion[] = "Vestrane をインストールしますか？";
// The registered DLL is not the one beside the program: %s is the registered path.
constexpr char kTextOtherFolderQuestion[] =
    "Vestrane は別の場所の Vestrane.dll で登録されています:\n%s\n\n"
    "このフォルダの Vestrane.dll を登録し直しますか？";
// %s: the program's folder, then the recommended folder.
constexpr char kTextUnsafeFolderQuestion[] =
    "このフォルダまたは Vestrane.dll は、管理者以外のユーザーも書き換えられます:\n%s\n\n"
    "Vestrane.dll はすべてのユーザーのエクスプローラに読み込まれるため、置き換えられると"
    "管理者を含む全員の権限で別のプログラムが動きます。\n"
    "Vestinst.exe と Vestrane.dll は %s など、管理者だけが書き込めるフォルダに置いて実行する"
    "ことをお勧めします。\n\nこのまま登録しますか？";
// %s: the registry key that could not be written or deleted, then kTextChangesPutBack or
// kTextChangesNotPutBack.
constexpr char kTextCannotInstall[] = "インストールできません。\nNT/2000 の場合、Administrator "
                                      "権限をもつユーザーでログインして実行してください。\n\n"
                                      "書き込めなかったレジストリキー:\n%s\n%s";
constexpr char kTextCannotUninstall[] =
    "アンインストールできません。\nNT/2000 の場合、Administrator "
    "権限をもつユーザーでログインして実行してください。\n\n"
    "削除できなかったレジストリキー:\n%s\n%s";
constexpr char kTextChangesPutBack[] = "この実行での変更はすべて元に戻しました。";
constexpr char kTextChangesNotPutBack[] = "この実行での変更の一部を元に戻せませんでした。";
constexpr char kTextUninstalled[] =
    "アンインストールしました。\nVestrane.DLL, Vestinst.exe は再起動後に削除されます。";
