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
    L"　4. Windows 8以降では、ログオン時に起動するよう登録されたプログラム(レジストリのRun)も取り込み、"
    L"取り込んだ元の登録を完了時に無効にできます(ショートカットは削除しません)。"
    L"「TVLpreparer.exe /restore」で元に戻せます。\r\n"
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

// Taking over the start-up entries of the registry, and switching the
// originals off (the folder page's choices, the messages after generation,
// at Finish and of "/restore").
inline constexpr wchar_t kOptTakeRun[] = L"ログオン時に起動するよう登録されたプログラム(レジストリのRun)も取り込む";
inline constexpr wchar_t kOptSwitchOff[] = L"取り込んだ元の登録を完了時に無効にする(元に戻せます)";
inline constexpr wchar_t kLeftOutHeader[] = L"次の登録は取り込みませんでした。";
inline constexpr wchar_t kLeftOutNotString[] = L"値の種類が文字列ではありません(起動されない登録です):";
inline constexpr wchar_t kLeftOutNeedsAdmin[] =
    L"管理者の権限が必要です。これらも取り込むには、ウイザードを管理者として実行してください:";
inline constexpr wchar_t kClosingSwitchedOff[] =
    L"取り込んだ元のスタートアップ登録 %d 件を無効にしました"
    L"(タスク マネージャーの「スタートアップ」で確認・変更できます)。\r\n"
    L"元に戻すには「TVLpreparer.exe /restore」を実行してください。";
inline constexpr wchar_t kClosingLeftOn[] =
    L"スタートアップフォルダにTarvolineのショートカットがないため、元のスタートアップ登録は有効のままにしました。";
inline constexpr wchar_t kClosingPutBack[] =
    L"元のスタートアップ登録を無効にする途中で失敗したため、無効にした分を元に戻しました。"
    L"元の登録は有効のままです。";
inline constexpr wchar_t kClosingRecordUnreadable[] =
    L"無効にした登録の記録ファイルを読み取れないため、元のスタートアップ登録は有効のままにしました。";
inline constexpr wchar_t kRestoreNothing[] = L"元に戻す登録はありません。";
inline constexpr wchar_t kRestoreDone[] = L"%d 件の登録を有効に戻しました。";
inline constexpr wchar_t kRestoreChanged[] = L"%d 件はその後に変更されていたため、そのままにしました。";
inline constexpr wchar_t kRestoreKept[] =
    L"%d 件は元に戻せなかったため、記録に残しました(管理者として実行すると戻せる場合があります)。";
inline constexpr wchar_t kRestoreUnreadable[] = L"記録ファイルを読み取れませんでした。記録はそのままにしてあります。";
inline constexpr wchar_t kRecordNotWritten[] = L"記録ファイルを更新できませんでした。";
inline constexpr wchar_t kRecordFolder[] = L"Tarvoline";
inline constexpr wchar_t kRecordName[] = L"SwitchedOff.txt";
inline constexpr wchar_t kRestoreSwitch[] = L"/restore";

inline constexpr wchar_t kDefaultSequenceName[] = L"StartUp.pmw";
inline constexpr wchar_t kOwnShortcutName[] = L"Tarvoline.lnk";
inline constexpr wchar_t kMainProgramName[] = L"Tarvoline.exe";

}  // namespace wizard::texts
