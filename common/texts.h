#pragma once
// Every text the user reads: status lines, prompts, messages and fault messages. The code
// and the tests both take them from here.

#include <QString>

namespace velmora::texts {

// The status line (動作状態) and the big label (mess).
inline const QString kStatusDesign = QStringLiteral("動作状態");
inline const QString kHoldCard = QStringLiteral("Felicaをかざしてください。");
inline const QString kArrivalMode = QStringLiteral("出勤 ");
inline const QString kLeavingMode = QStringLiteral("退勤 ");
inline const QString kModeSeparator = QStringLiteral("：");
inline const QString kArrivalPressed = QStringLiteral("出勤ボタンが押された。");
inline const QString kLeavingPressed = QStringLiteral("退勤処理");
inline const QString kAlreadyArrived = QStringLiteral("すでに出勤中");
inline const QString kChooseTimeStatus = QStringLiteral("時間を入力し、[出勤][退勤]");
inline const QString kNameDesign = QStringLiteral("名前");

// The time panel's questions.
inline const QString kAskEarlierLeaving = QStringLiteral("昨日の退校時間");
inline const QString kAskTodaysArrival = QStringLiteral("本日の出校時間");
inline const QString kAskChosenTime = QStringLiteral("時間入力");

// Input prompts; a CR alone breaks the line.
inline const QString kFirstUsePrompt = QStringLiteral("初めての使用\r\r　名前を入力してください。");
inline const QString kNamePromptStatus = QStringLiteral("氏名:Felicaをかざしてください");
inline const QString kNamePrompt =
    QStringLiteral("氏名の入力\r\r氏名を入力するか。登録されたFelicaカードを当ててOK");

// Message boxes.
inline const QString kUnstorableName =
    QStringLiteral("利用者名に使用できない文字が含まれています。");
inline const QString kNameTooLong = QStringLiteral("利用者名は64文字以内で入力してください。");
inline const QString kNoName = QStringLiteral("利用者名の入力ができていません。");
inline const QString kNoCard = QStringLiteral("FeliCaカードの確認をしてください。");

// Faults: %1 the file, %2 the reason.
inline const QString kCannotOpen = QStringLiteral("ファイルを開けません \"%1\": %2");
inline const QString kCannotRead = QStringLiteral("ファイルを読めません \"%1\": %2");
inline const QString kCannotWrite = QStringLiteral("ファイルに書き込めません \"%1\": %2");
inline const QString kCannotCreate = QStringLiteral("ファイルを作成できません \"%1\": %2");
inline const QString kMissingFile = QStringLiteral("ファイルが見つかりません \"%1\"");
inline const QString kUnreadableUserData = QStringLiteral("ファイルが読めません \"%1\"");
inline const QString kNotRegularFile = QStringLiteral("通常のファイルではありません");
inline const QString kFileBusy = QStringLiteral("ほかの端末が書き込み中のまま終わりません");
inline const QString kFileShrank = QStringLiteral("読んでいる間にファイルが短くなりました");
inline const QString kLineTooLong = QStringLiteral("行が長すぎます");
inline const QString kUnstorableField =
    QStringLiteral("\"%1\" に記録できない文字が含まれています: %2");
// %1 the library, %2 the loader's error.
inline const QString kLibraryMissing =
    QStringLiteral("カードリーダーのライブラリを読み込めません: %1");
inline const QString kLibraryWithoutEntry =
    QStringLiteral("カードリーダーのライブラリに get_idm がありません: %1");

// The monthly report (velmora-report and its window). %1 the files, or what was given.
inline const QString kNoRecords = QStringLiteral("記録がありません: %1");
// %1 the year, %2 the month, %3 the files.
inline const QString kNoRecordsInMonth = QStringLiteral("%1年%2月の記録がありません: %3");
// %1 the file, when no reason is known.
inline const QString kCannotWriteFile = QStringLiteral("ファイルに書き込めません \"%1\"");
// %1 the file, %2 its modification year.
inline const QString kModifiedYear =
    QStringLiteral("\"%1\" の更新日時の年 (%2) からは記録の年を決められません。--last-year "
                   "で最後の記録の年を指定してください");
// %1 the file, %2 the line, %3 the day it was counted on.
inline const QString kLateLeaving =
    QStringLiteral("\"%1\" の行 %2 は、同じ人の出の直前にない遅れた退として %3 "
                   "に数えました（ほかの記録の年は変えていません）");
// %1 the days-off file, %2 the line number, %3 the line.
inline const QString kNotADayOff =
    QStringLiteral("\"%1\" %2行目: 日付 (YYYY-MM-DD) ではありません: %3");
inline const QString kReportStopped = QStringLiteral("読み込みを中止しました。");
inline const QString kReadingFiles = QStringLiteral("記録ファイルを読んでいます…");
// The command line (%1 its arguments) and the menu start's folder (%1).
inline const QString kBadArgument =
    QStringLiteral("使えない引数です: %1（使い方は velmora --help で表示します）");
inline const QString kCannotUseFolder = QStringLiteral("作業フォルダを作成できません \"%1\"");

} // namespace velmora::texts
