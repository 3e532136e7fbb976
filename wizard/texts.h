// The wizard's own texts, in one place so that the window, the core and the
// tests agree on them exactly. U+3000 is the ideographic space that opens a
// paragraph; line breaks are CR LF.
#pragma once

namespace wizard::texts {

inline constexpr wchar_t kProgramTitle[] = L"TVLpreparer";
inline constexpr wchar_t kTitleBand[] = L"Tarvoline 設定 ウィザードへようこそ";

inline constexpr wchar_t kBack[] = L"戻る(&P)";
inline constexpr wchar_t kNext[] = L"次へ(&N)";
inline constexpr wchar_t kFinish[] = L"完了(&F)";
inline constexpr wchar_t kCancel[] = L"キャンセル(&C)";
inline constexpr wchar_t kBrowse[] = L"参照(&R)";

inline constexpr wchar_t kWelcome[] =
    L"　Tarvoline(TVL)設定ウイザードへようこそ。\r\n"
    L"\r\n"
    L"　以下の質問に答えることでTVLの設定を簡単に行えます(基本的に何ら変更する必要はありません)。\r\n"
    L"\r\n"
    L"　コンピュータに詳しくない方は必ずヘルプを一読してから作業してください。詳しい方も、"
    L"トラブルを避けるため最低限「設定」に関するページだけでも読んでから作業を始めてください。";

inline constexpr wchar_t kFolderLabel[] = L"スタートアップフォルダの場所";
inline constexpr wchar_t kFolderHelp[] =
    L"　スタートアップフォルダの場所を指定します。通常、変更は不要です。\r\n"
    L"\r\n"
    L"　スタートアップフォルダ以外を指定することもできます。指定したフォルダに存在するショートカットを"
    L"Tarvolineに取り込みます。";

inline constexpr wchar_t kFileLabel[] = L"Tarvolineファイルの場所と名前(変更を推奨しません)";
inline constexpr wchar_t kFileHelp[] =
    L"　保存先となるTarvolineファイルを指定します。通常、変更する必要はありません。\r\n"
    L"\r\n"
    L"　存在するファイルの場合は追記になります。\r\n"
    L"　ファイル名を変更した場合、設定の変更が必要です(ヘルプを参照してください)。";

// Under the information page. The page ships inside the program and carries
// no advertising, so this is a plain note rather than an apology for one.
inline constexpr wchar_t kInfoNote[] =
    L"上はTarvolineとこのウイザードの説明です。ショートカットの取り込みは終わっています。"
    L"「次へ」で最後のページに進みます。";

// The information page: what the main program does and how this wizard
// sets it up. Shipped with the program; nothing is fetched from the network.
inline constexpr wchar_t kInfoText[] =
    L"■ Tarvolineについて\r\n"
    L"　Tarvolineは、ログオン時にスタートアップフォルダのプログラムが一斉に起動して"
    L"コンピュータが重くなるのを防ぐためのプログラムです。登録された項目を一つずつ順番に起動し、"
    L"次の項目はCPUの使用率が下がるのを待ってから起動します。\r\n"
    L"\r\n"
    L"■ このウイザードで行うこと\r\n"
    L"　1. 指定したフォルダにあるショートカットを読み込み、Tarvolineファイルに追記します"
    L"(Tarvoline自身へのショートカットは取り込みません)。\r\n"
    L"　2. 完了時に、スタートアップフォルダへTarvolineのショートカットを作成できます。\r\n"
    L"　3. 最後にスタートアップフォルダを開きますので、Tarvoline以外のショートカットを"
    L"バックアップしてから取り除いてください。\r\n"
    L"\r\n"
    L"■ 注意\r\n"
    L"　ショートカットの取り込みは、Tarvolineファイルの場所を指定したページで「次へ」を押したときに"
    L"一度だけ行われます。取り込んだ内容は、Tarvolineファイルを編集して変更できます。";

inline constexpr wchar_t kDone[] = L"　Tarvolineファイルの生成が終了しました。";
inline constexpr wchar_t kOptShortcut[] = L"スタートアップフォルダにTarvolineのショートカットを作成";
inline constexpr wchar_t kOptOpen[] = L"すぐに生成ファイルをPelmarkで開く(要関連付)";
inline constexpr wchar_t kOptCheck[] = L"生成ファイルをTarvolineでチェックし、結果を開く";

inline constexpr wchar_t kBrowseTitle[] = L"ショートカットの入ったフォルダを指定します。";
inline constexpr wchar_t kSaveTitle[] = L"Tarvolineファイルの保存";

inline constexpr wchar_t kCancelMessage[] = L"このウイザードはいつでもスタートメニューから呼び出せます。";
inline constexpr wchar_t kNotWritable[] = L"指定されたファイルに書き込みができませんでした。";
inline constexpr wchar_t kUnreadableShortcuts[] =
    L"次のショートカットは読み込めなかったため、取り込みませんでした。";
inline constexpr wchar_t kPathsOutsideCodePage[] =
    L"次のショートカットはリンク先か作業フォルダのパスにTarvolineファイルに書けない文字があるため、"
    L"取り込みませんでした。";
inline constexpr wchar_t kClosing[] =
    L"スタートアップフォルダから、Tarvoline以外のアイコンを取り除いておいてください。\r\n"
    L"安全のため、バックアップしておくことをおすすめします。";
// Instead of kClosing when the shortcut to Tarvoline was asked for but not
// made: clearing the folder would leave nothing to start at log-on.
inline constexpr wchar_t kClosingNoShortcut[] =
    L"Tarvolineのショートカットを作成できませんでした。\r\n"
    L"スタートアップフォルダのアイコンは取り除かずに、そのままにしておいてください。";

inline constexpr wchar_t kDefaultSequenceName[] = L"StartUp.pmw";
inline constexpr wchar_t kOwnShortcutName[] = L"Tarvoline.lnk";
inline constexpr wchar_t kMainProgramName[] = L"Tarvoline.exe";

}  // namespace wizard::texts
