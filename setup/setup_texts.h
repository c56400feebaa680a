// Every text that the setup program shows in a message box. The sources are UTF-8; the
// Windows build stores narrow literals in code page 932, the code page the texts are
// shown in.
#pragma once

constexpr char kCaptionError[] = "Error";
constexpr char kCaptionVestrane[] = "Vestrane";

constexpr char kTextDllMissing[] = "Vestrane.DLL を同じフォルダに入れて実行して下さい。";
constexpr char kTextNotHardDisk[] =
    "Vestinst.exe, Vestrane.DLL はハードディスクにコピーして実行して下さい。";
constexpr char kTextInstalled[] = "インストール終了しました。続けて設定を行います。";
constexpr char kTextPathTooLong[] = "フォルダのパスが長すぎます。Vestinst.exe, Vestrane.DLL "
                                    "を短いパスのフォルダに入れて実行して下さい。";

constexpr char kTextInstallQuestion[] = "Vestrane をインストールしますか？";
constexpr char kTextCannotInstall[] = "インストールできません。\nNT/2000 の場合、Administrator "
                                      "権限をもつユーザーでログインして実行してください。";
constexpr char kTextCannotUninstall[] =
    "アンインストールできません。\nNT/2000 の場合、Administrator "
    "権限をもつユーザーでログインして実行してください。";
constexpr char kTextUninstalled[] =
    "アンインストールしました。\nVestrane.DLL, Vestinst.exe は再起動後に削除されます。";
