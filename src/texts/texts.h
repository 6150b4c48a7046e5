#pragma once
// Every text the user reads: status lines, prompts, messages and fault messages. The code
// and the tests both take them from here.

#include <QString>
#include <QStringList>

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
inline const QString kNoReader = QStringLiteral("カードリーダーが見つかりません");

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
// %1: the longest name that may be typed (kLongestTypedName).
inline const QString kNameTooLong = QStringLiteral("利用者名は%1文字以内で入力してください。");
inline const QString kNoName = QStringLiteral("利用者名の入力ができていません。");
inline const QString kNoCard = QStringLiteral("FeliCaカードの確認をしてください。");
inline const QString kBadTime =
    QStringLiteral("時間は 8:30 のように、0:00 から 24:00 までの「時:分」で入力してください。");

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
inline const QString kNothingWritten = QStringLiteral("何も書き込まれませんでした");
inline const QString kUnstorableField =
    QStringLiteral("\"%1\" に記録できない文字が含まれています: %2");
// %1 the library, %2 the loader's error.
inline const QString kLibraryMissing =
    QStringLiteral("カードリーダーのライブラリを読み込めません: %1");
inline const QString kLibraryWithoutEntry =
    QStringLiteral("カードリーダーのライブラリに get_idm がありません: %1");

// The monthly report (velmora-report and its window). %1 the files, or what was given.
inline const QString kNoRecords = QStringLiteral("記録がありません: %1");
inline const QString kNotRecordFiles =
    QStringLiteral("打刻の記録ファイルではないため読みません: %1");
// %1 the year, %2 the month, %3 the files.
inline const QString kNoRecordsInMonth = QStringLiteral("%1年%2月の記録がありません: %3");
// %1 the file, %2 its modification year.
inline const QString kModifiedYear =
    QStringLiteral("\"%1\" の更新日時の年 (%2) からは記録の年を決められません。--last-year "
                   "で最後の記録の年を指定してください");
// %1 the file, %2 the line, %3 the day it was counted on.
inline const QString kLateLeaving =
    QStringLiteral("\"%1\" の行 %2 は、同じ人の出の直前にない遅れた退として %3 "
                   "に数えました（ほかの記録の年は変えていません）");
inline const QString kOutOfPlace =
    QStringLiteral("\"%1\" の行 %2 は、前後の記録から離れた日付として %3 "
                   "に数えました（ほかの記録の年は変えていません）");
inline const QString kReportStopped = QStringLiteral("読み込みを中止しました。");
inline const QString kReadingFiles = QStringLiteral("記録ファイルを読んでいます…");
// The command line (%1 its arguments) and the menu start's folder (%1).
inline const QString kBadArgument =
    QStringLiteral("使えない引数です: %1（使い方は velmora --help で表示します）");
// Started where no window can show (a console without a desktop session): Japanese and
// English on one line, since such a console may have no Japanese font.
inline const QString kNoDesktop =
    QStringLiteral("画面がありません。デスクトップで起動してください (no desktop session: "
                   "DISPLAY or WAYLAND_DISPLAY is needed)");
inline const QString kCannotUseFolder = QStringLiteral("作業フォルダを作成できません \"%1\"");

// velmora-report's command line. %1 what was given.
inline const QString kBadMonth = QStringLiteral("--month %1: 年月 (YYYY-MM) ではありません");
inline const QString kBadLastYear = QStringLiteral("--last-year %1: 2000〜2099 の年ではありません");
inline const QString kBadHours = QStringLiteral("--hours %1: 時間 (H:MM) ではありません");
inline const QString kBadBreak = QStringLiteral("--break %1: 0〜360 の分数ではありません");
inline const QString kBadFormat =
    QStringLiteral("--format %1: csv、xlsx、pdf のどれか（年度は year）を指定してください");
inline const QString kMissingFolder = QStringLiteral("フォルダが見つかりません \"%1\"");
// %1 the file, %2 the line's number, %3 the line.
inline const QString kBadDayOff =
    QStringLiteral("\"%1\" %2行目: 日付 (YYYY-MM-DD) ではありません: %3");
// %1 how many lines.
inline const QString kLinesSkipped = QStringLiteral("記録として読めない %1 行を除きました");
// %1 the month (YYYY-MM), %2 how many teachers.
inline const QString kReportDone = QStringLiteral("%1: 教職員 %2名");
inline const QString kReportAbout = QStringLiteral(
    "タイムレコーダーの記録ファイルから、教職員ごとの月の在校等時間と時間外を集計します。\n"
    "引数なしでデスクトップから起動すると、集計のウィンドウを開きます。");

// velmora-report --help: the files and each option.
inline const QString kFilesHelp = QStringLiteral("記録ファイル（省略時: ./Velmora.dat）");
inline const QString kHelpHelp = QStringLiteral("この説明を表示します。");
inline const QString kVersionHelp = QStringLiteral("バージョンを表示します。");
inline const QString kMonthHelp = QStringLiteral("集計する月（省略時: 最新の記録の月）");
inline const QString kFormatHelp = QStringLiteral(
    "csv、xlsx、pdf（複数可、省略時: csv）。year で -m の月の年度（4月からその月まで）");
inline const QString kOutHelp = QStringLiteral("書き出すフォルダ（省略時: 現在のフォルダ）");
inline const QString kLastYearHelp =
    QStringLiteral("各ファイルの最後の記録の年（省略時: ファイルの更新日時の年）");
inline const QString kHoursHelp = QStringLiteral("1日の所定の勤務時間（省略時: 7:45）");
inline const QString kBreakHelp =
    QStringLiteral("6時間を超える日に、超えた分まで除く休憩の分数（省略時: 45）");
inline const QString kDaysOffHelp = QStringLiteral("休業日のファイル（1行に1日、YYYY-MM-DD）");

// The report's window. %1 how many teachers, lines, or the files' names.
inline const QString kTeachers = QStringLiteral("教職員 %1名");
inline const QString kDatesAssumed =
    QStringLiteral("日付を推定した記録が %1 件あります（ご確認ください）");
inline const QString kNoticesButton = QStringLiteral("一覧を表示(&W)…");
inline const QString kNoticesTitle = QStringLiteral("確認が必要な行");
inline const QString kLedgerLinesSkipped =
    QStringLiteral("学校のファイル（職員・年間予定・申告）の読めない %1 行を除きました");
inline const QString kAddRecordFiles =
    QStringLiteral("記録ファイル（Velmora.dat）を追加してください。");
inline const QString kSaved = QStringLiteral("保存しました: %1");
inline const QString kReportWindowTitle = QStringLiteral("Velmora 在校等時間集計");
inline const QString kAddFilesButton = QStringLiteral("記録ファイルを追加(&A)…");
inline const QString kAddFolderButton = QStringLiteral("フォルダを追加(&F)…");
inline const QString kClearButton = QStringLiteral("クリア(&L)");
inline const QString kPreviewButton = QStringLiteral("印刷プレビュー(&P)…");
inline const QString kSaveCsvButton = QStringLiteral("CSVを保存(&C)…");
inline const QString kSaveXlsxButton = QStringLiteral("XLSXを保存(&X)…");
inline const QString kSavePdfButton = QStringLiteral("PDFを保存(&D)…");
inline const QString kMonthLabel = QStringLiteral("月(&M):");
inline const QString kShowLabel = QStringLiteral("表示(&V):");
inline const QString kStopButton = QStringLiteral("中止");
inline const QString kEveryone = QStringLiteral("集計（全員）");
inline const QString kAddFilesTitle = QStringLiteral("記録ファイルを追加");
inline const QString kRecordFilesFilter = QStringLiteral("記録ファイル (*.dat);;すべて (*)");
inline const QString kAddFolderTitle = QStringLiteral("フォルダを追加");
inline const QString kSaveFolderTitle = QStringLiteral("保存先のフォルダ");
inline const QString kPreviewTitle = QStringLiteral("印刷プレビュー");
inline const QString kMonthFormat = QStringLiteral("yyyy年MM月");
// %1 days, %2 in school, %3 beyond regular hours, %4 this school year's, %5 the flags.
inline const QString kTeacherTotals =
    QStringLiteral("出勤日数 %1日　在校等時間 %2　時間外 %3　年度累計 %4　%5");

// The report's columns, marks and flags, in every output alike.
inline const QString kName = QStringLiteral("氏名");
inline const QStringList kDayColumns = {QStringLiteral("日付"),       QStringLiteral("曜日"),
                                        QStringLiteral("出"),         QStringLiteral("退"),
                                        QStringLiteral("在校等時間"), QStringLiteral("時間外"),
                                        QStringLiteral("備考")};
inline const QStringList kTotalColumns = {
    QStringLiteral("出勤日数"),       QStringLiteral("要確認"),
    QStringLiteral("在校等時間合計"), QStringLiteral("時間外合計"),
    QStringLiteral("年度累計時間外"), QStringLiteral("判定")};
inline const QString kTotal = QStringLiteral("合計");
inline const QString kNoFlag = QStringLiteral("なし");
// In the order of report/month.h's Note and Flag.
inline const QStringList kNotes = {QStringLiteral("祝日"),     QStringLiteral("休業日"),
                                   QStringLiteral("年末年始"), QStringLiteral("時刻不正"),
                                   QStringLiteral("退のみ"),   QStringLiteral("出のみ"),
                                   QStringLiteral("出が2回"),  QStringLiteral("退が出より前")};
inline const QStringList kFlags = {QStringLiteral("月45時間超"),
                                   QStringLiteral("月80時間以上"),
                                   QStringLiteral("月100時間以上"),
                                   QStringLiteral("2〜6か月平均80時間超"),
                                   QStringLiteral("45時間超が年7か月以上"),
                                   QStringLiteral("年360時間超"),
                                   QStringLiteral("年720時間超")};

// The printed sheets.
inline const QString kChartTitle = QStringLiteral("時間外（今月、時間）");
inline const QString kHoursMark = QStringLiteral("%1時間");
inline const QString kSummaryHeading = QStringLiteral("在校等時間 集計 %1");
inline const QString kFlagLegend =
    QStringLiteral("▲ 判定のある教職員。時間外の上限: 月45時間、年360時間");
inline const QString kBeyondNote = QStringLiteral("時間外は所定の勤務時間を超えた時間");
inline const QString kDailyChartTitle = QStringLiteral("日ごとの時間外（時間）");
inline const QString kSeals = QStringLiteral("確認印");
inline const QString kSealTeacher = QStringLiteral("本人");
inline const QString kSealPrincipal = QStringLiteral("校長");
inline const QString kDays = QStringLiteral("%1日");
inline const QString kMonthTitle = QStringLiteral("%1年%2月");
// %1 the month, %2 the teacher's name: a sheet's title.
inline const QString kSheetTitle = QStringLiteral("在校等時間 %1　%2");

// The report with the school's files: the day's and the month's columns they add, 備考's words
// for a corrected day, the page of a teacher's entries, and the command line's option.
inline const QStringList kDayFigureColumns = {QStringLiteral("所定"), QStringLiteral("校外"),
                                              QStringLiteral("控除")};
inline const QString kRegularTotal = QStringLiteral("所定");
// %1 the correction (出訂正, 退訂正), %2 the card's own time or kNoCardTime.
inline const QString kCorrected = QStringLiteral("%1(カード%2)");
inline const QString kNoCardTime = QStringLiteral("なし");
// %1 the month, %2 the teacher's name.
inline const QString kEntriesTitle = QStringLiteral("変更の記録 %1　%2");
inline const QStringList kEntryColumns = {QStringLiteral("日付"),      QStringLiteral("種別"),
                                          QStringLiteral("開始–終了"), QStringLiteral("理由"),
                                          QStringLiteral("記入者"),    QStringLiteral("記入日時")};
// Under a cancelled entry: %1 its cancellation (出張取消), %2 its writer, %3 when, %4 why.
inline const QString kCancelledBy = QStringLiteral("%1（%2　%3）　%4");
inline const QString kLedgerHelp =
    QStringLiteral("職員.csv・年間予定.csv・申告.dat のフォルダ（省略時: 記録ファイルのフォルダ）");

// The report's window as the office's workbench: its tabs, the staff list and the calendar
// edited as tables, the entries' dialog, the saving over old files.
inline const QString kReportTab = QStringLiteral("集計");
inline const QString kStaffTab = QStringLiteral("職員");
inline const QString kCalendarTab = QStringLiteral("年間予定");
// As the files' headers.
inline const QStringList kStaffColumns = {QStringLiteral("氏名"),   QStringLiteral("月"),
                                          QStringLiteral("火"),     QStringLiteral("水"),
                                          QStringLiteral("木"),     QStringLiteral("金"),
                                          QStringLiteral("開始日"), QStringLiteral("終了日")};
inline const QStringList kCalendarColumns = {QStringLiteral("日付"), QStringLiteral("勤務時間"),
                                             QStringLiteral("名称")};
inline const QString kAddRowButton = QStringLiteral("行を追加(&N)");
inline const QString kRemoveRowButton = QStringLiteral("行を削除(&R)");
inline const QString kImportButton = QStringLiteral("CSVを取り込む(&I)…");
inline const QString kSaveListButton = QStringLiteral("保存(&S)");
inline const QString kImportTitle = QStringLiteral("取り込むCSV");
inline const QString kCsvFilter = QStringLiteral("CSV (*.csv);;すべて (*)");
inline const QString kNoLedgerFolder =
    QStringLiteral("記録ファイルを追加すると、その最初のファイルのフォルダの一覧を編集できます。");
// %1 how many lines.
inline const QString kImported =
    QStringLiteral("%1行を取り込みました。確かめて「保存」を押してください。");
inline const QString kImportProblemsTitle = QStringLiteral("取り込めなかった行");
// %1 the list, %2 its row from 1, %3 why the reader would refuse it.
inline const QString kRowRefused = QStringLiteral("%1 %2行目: %3。保存していません。");
inline const QString kProblemColumn = QStringLiteral("読めない理由");
// %1 why: a line the reader cannot use, shown and kept.
inline const QString kRowKept =
    QStringLiteral("読めない行です（%1）。削除しない限り、このまま保存されます。");
// %1 the fault.
inline const QString kListUnreadable = QStringLiteral("%1 読めるようになるまで保存できません。");
// %1 the file.
inline const QString kListChanged = QStringLiteral(
    "「%1」は読み込んだ後にほかの端末で変更されました。保存していません。"
    "「読み直す」で今のファイルを読み、ここで追加・変更した行をその後ろに付け直します。");
inline const QString kReloadButton = QStringLiteral("読み直す(&L)");
inline const QString kReloadedWithEdits =
    QStringLiteral("今のファイルを読み、ここで追加・変更した%"
                   "1行を後ろに付けました。確かめて「保存」を押してください。");
inline const QString kUnsavedMark = QStringLiteral(" *");
inline const QString kImportReading = QStringLiteral("CSVを読んでいます…");
inline const QString kImportStopped = QStringLiteral("取り込みを中止しました。");
inline const QString kNoSuchFile = QStringLiteral("ファイルがありません");
// %1 the file, %2 its size limit.
inline const QString kImportTooLarge = QStringLiteral("「%1」は%2を超えています。取り込みません。");
inline const QString kUnreadableFile = QStringLiteral("「%1」を読めません: %2");
inline const QString kEntryButton = QStringLiteral("記入(&E)…");
inline const QString kEntryTitle = QStringLiteral("申告の記入");
inline const QString kEntryNameLabel = QStringLiteral("氏名(&N):");
inline const QString kEntryDateLabel = QStringLiteral("日付(&T):");
inline const QString kEntryKindLabel = QStringLiteral("種別(&K):");
inline const QString kEntryStartLabel = QStringLiteral("開始(&S):");
inline const QString kEntryEndLabel = QStringLiteral("終了(&O):");
inline const QString kEntryReasonLabel = QStringLiteral("理由(&R):");
inline const QString kEntryTimeHint = QStringLiteral("8:30");
// Between the two times of a span, on the sheets and in the window alike: 8:30〜17:00.
inline const QString kSpanSeparator = QStringLiteral("〜");
inline const QString kEntryDateFormat = QStringLiteral("yyyy-MM-dd");
inline const QString kEntryHistoryLabel = QStringLiteral("この日の記入(&H):");
inline const QString kCancelEntryButton = QStringLiteral("取消(&C)…");
// %1 the field, %2 what was typed.
inline const QString kBadTimeField = QStringLiteral("%1「%2」は時刻（8:30）として読めません。");
inline const QString kStartField = QStringLiteral("開始");
inline const QString kEndField = QStringLiteral("終了");
inline const QString kWriterTitle = QStringLiteral("記入者");
inline const QString kWriterPrompt =
    QStringLiteral("記入者の名前（このウィンドウを閉じるまで使います）:");
inline const QString kCancelTitle = QStringLiteral("記入の取消");
inline const QString kCancelPrompt = QStringLiteral("取り消す理由:");
inline const QString kCancelLatestFirst =
    QStringLiteral("取消は同じ種別の最も新しい記入に効きます。そちらを先に取り消してください。");
// Saved staff names the terminals never wrote this school year: %1 the names, each 「…」 or
// with its nearest record name.
inline const QString kStaffNamesUnrecorded =
    QStringLiteral("今年度の記録がない氏名: %1（カードの氏名と同じか確かめてください）");
inline const QString kStaffNameNear = QStringLiteral("「%1」（近い記録: 「%2」）");
inline const QString kUnknownNameTitle = QStringLiteral("記録のない氏名");
// %1 the name typed; %2 the nearest name with records.
inline const QString kUnknownName =
    QStringLiteral("「%1」には今年度の記録がありません。このまま記入しますか？");
inline const QString kUnknownNameNear = QStringLiteral(
    "「%1」には今年度の記録がありません。近い氏名の記録: 「%2」。このまま記入しますか？");
// Edits not yet saved: %1 the lists (「職員」、「年間予定」).
inline const QString kUnsavedTitle = QStringLiteral("保存していない変更");
inline const QString kUnsaved = QStringLiteral("%1の変更を保存していません。保存しますか？");
inline const QString kSaveAnswer = QStringLiteral("保存");
inline const QString kDiscardAnswer = QStringLiteral("破棄");
inline const QString kCancelAnswer = QStringLiteral("キャンセル");
inline const QString kUnsavedEdits = QStringLiteral("変更を保存していません。");
// A record file left out of the report: %1 why (naming it); how many were.
inline const QString kFileLeftOut = QStringLiteral("除きました: %1");
inline const QString kFilesLeftOut = QStringLiteral("集計から除いたファイルが %1 件あります");
// %1 why the year is not known (naming the file and the year).
inline const QString kLastYearTitle = QStringLiteral("最後の記録の年");
inline const QString kLastYearPrompt =
    QStringLiteral("%1\n\nこのファイルの最後の記録の年（キャンセルで集計から除きます）:");
// %1 the kind, %2 the span, %3 the reason, %4 who, %5 when.
inline const QString kEntryListed = QStringLiteral("%1 %2　%3　（%4 %5）");
// %1 the reason, %2 who, %3 when.
inline const QString kEntryCancelled = QStringLiteral("　→ 取消: %1（%2 %3）");
inline const QString kSaveOverTitle = QStringLiteral("上書きの確認");
inline const QString kSaveOver =
    QStringLiteral("次のファイルはすでにあります。上書きしますか？\n\n%1");

// The school's files (ledger): a line that could not be taken, and why an entry or a line
// cannot be written. %1 the file, %2 its line, %3 the message.
inline const QString kLedgerProblem = QStringLiteral("%1 %2行目: %3");
// %1 what was read.
inline const QString kLedgerBadTime = QStringLiteral("時刻が読めません「%1」");
inline const QString kLedgerBadDate = QStringLiteral("日付が読めません「%1」");
inline const QString kLedgerBadWritten = QStringLiteral("記入日時が読めません「%1」");
inline const QString kLedgerUnknownKind = QStringLiteral("種別が読めません「%1」");
// %1 the number of fields a line has.
inline const QString kLedgerFieldCount = QStringLiteral("項目が8つではありません（%1）");
inline const QString kLedgerTooManyFields = QStringLiteral("項目が多すぎます（%1）");
inline const QString kLedgerBadQuotes = QStringLiteral("引用符 \" の対応が取れていません");
inline const QString kLedgerNoName = QStringLiteral("氏名がありません");
inline const QString kLedgerEndDateBeforeStart = QStringLiteral("終了日が開始日より前です");
// %1 the earlier line of the same date.
inline const QString kLedgerSameDate =
    QStringLiteral("同じ日付が%1行目にもあります（この行を使います）");
inline const QString kLedgerNothingToCancel = QStringLiteral("取り消す記入がありません");
inline const QString kLedgerTooLarge = QStringLiteral("16MiB を超えています");
// %1 the field (氏名, 記入者).
inline const QString kLedgerControl = QStringLiteral("%1に制御文字（NUL など）があります");
inline const QString kLedgerLineTooLong = QStringLiteral("1MiB を超える行です");
// %1 how many more lines.
inline const QString kLedgerMoreProblems = QStringLiteral("ほかに%1行を読めませんでした");
inline const QString kEntryBadDate = QStringLiteral("日付は2000年から2099年までです");
inline const QString kEntryBadWritten = QStringLiteral("記入日時がありません");
inline const QString kEntryBadTime = QStringLiteral("時刻は0:00から24:00までです");
inline const QString kEntryEndNotAfterStart = QStringLiteral("終了が開始より後になっていません");
// %1 the kind: 出張, 在宅, 研鑽.
inline const QString kEntryNeedsSpan = QStringLiteral("%1には開始と終了が要ります");
inline const QString kEntryArrivalOnly =
    QStringLiteral("出訂正には開始（出の時刻、24:00より前）だけを入れます");
inline const QString kEntryLeavingOnly = QStringLiteral("退訂正には終了（退の時刻）だけを入れます");
inline const QString kEntryLeaveTimes =
    QStringLiteral("休暇は開始と終了の両方を入れるか、終日なら両方を空にします");
inline const QString kEntryNoWriter = QStringLiteral("記入者がありません");
inline const QString kEntryNoReason = QStringLiteral("理由がありません");
// %1 the field (氏名, 記入者, 理由, 名称), %2 its text.
inline const QString kLedgerUnwritable =
    QStringLiteral("%1に記録できない文字（\"、改行、Shift_JISにない文字）があります「%2」");
// %1 the person: a weekday's hours that are no time of day.
inline const QString kStaffBadHours = QStringLiteral("%1の勤務時間は0:00から24:00までです");
// %1 the date.
inline const QString kCalendarBadHours = QStringLiteral("%1の勤務時間は0:00から24:00までです");
inline const QString kFieldName = QStringLiteral("氏名");
inline const QString kFieldWriter = QStringLiteral("記入者");
inline const QString kFieldReason = QStringLiteral("理由");
inline const QString kFieldTitle = QStringLiteral("名称");

// Outputs replaced as a set, and the days that ask for a correction.
// %1 how many teachers have days with a mark.
inline const QString kTeachersToCorrect = QStringLiteral("要確認の日がある教職員 %1名");
// %1 the file's name.
inline const QString kFileInUse = QStringLiteral("%1 は他のプログラムで開かれています");
inline const QString kIsFolder = QStringLiteral("同じ名前のフォルダがあります");
inline const QString kOutputBusy =
    QStringLiteral("同じフォルダへの別の保存が終わりません（しばらくしてからもう一度）");
inline const QString kNotPutBack = QStringLiteral("元のファイルを戻せませんでした");
// %1 the file, %2 the line's number.
inline const QString kDayOffTooLong = QStringLiteral("\"%1\" %2行目: 行が長すぎます（1 MiB 超）");
inline const QString kBadHoursRange =
    QStringLiteral("--hours %1: 0:00〜24:00 の時間 (H:MM) ではありません");

// The record files' chains. %1 the record file's name, %2 its line's number.
inline const QString kChainChanged = QStringLiteral("%1 %2行目は書き込みの後で変えられています");
inline const QString kChainInserted = QStringLiteral("%1 %2行目は書き込みの後で加えられています");
inline const QString kChainRemoved =
    QStringLiteral("%1 %2行目にあった行は書き込みの後で除かれています");
inline const QString kChainTruncated =
    QStringLiteral("%1 は書き込みの後で短くされています（%2行目から後がありません）");
inline const QString kChainUnchained =
    QStringLiteral("%1 %2行目から後は .chain にありません（書き込みの後で加えられたか、.chain "
                   "への追記が失敗しています）");
// %1 the record file's name.
inline const QString kChainMissing = QStringLiteral(
    "%1 に .chain がありません（古い端末の記録です。書き込みの後の変更は分かりません）");
// %1 the chain file's name, %2 its line's number.
inline const QString kChainBad =
    QStringLiteral("%1 %2行目が読めません（.chain が書き換えられたか壊れています）");
// %1 the record file's name, %2 the fault.
inline const QString kChainUnchecked = QStringLiteral("%1 を .chain と照らし合わせられません: %2");
// The terminal's log. %1 the chain's name.
inline const QString kChainLastLineBad = QStringLiteral("%1 の最後の行が読めません");
// %1 the record file's name.
inline const QString kChainLineTooLong = QStringLiteral("%1 に長すぎる行があります");
// A closed month (締め) as the office sees it: the window's closing, the marks of a closed or
// changed month in every output, and an entry written after the closing.
inline const QString kClosingColumn = QStringLiteral("締め");
inline const QString kChangeSeparator = QStringLiteral("、");
// %1 when it was closed, %2 who closed it.
inline const QString kClosedBy = QStringLiteral("%1　%2");
// %1 the state (締め済み, 締め後に変更), %2 kClosedBy.
inline const QString kClosingMark = QStringLiteral("%1（%2）");
// %1 the 12 hex characters of a teacher's fingerprint.
inline const QString kFingerprint = QStringLiteral("指紋 %1");
// %1 the fingerprint at closing, %2 today's.
inline const QString kFingerprintChanged = QStringLiteral("指紋 %1 → %2");
inline const QString kNoFingerprint = QStringLiteral("なし");
// %1 a day's changes since the closing.
inline const QString kChangedMark = QStringLiteral("締め後に変更: %1");
inline const QString kAfterClosing = QStringLiteral("締め後");
inline const QString kCloseMonthButton = QStringLiteral("月を締める(&K)…");
inline const QString kCloseMonthTitle = QStringLiteral("月を締める");
// %1 the month (2026年7月).
inline const QString kCloseMonthConfirm =
    QStringLiteral("%1を締めます。締めた後の変更は「締め後に変更」と示されます。締めますか？");
// %1 the days still to correct, one a line.
inline const QString kCloseWithDaysToCorrect =
    QStringLiteral("要確認の日が残っています:\n%1\n\nこのまま締めるには理由を入力してください。");
// %1 when the month was closed and by whom (kClosedBy).
inline const QString kCloseAgain =
    QStringLiteral("この月はすでに締めてあります（%1）。締め直すには理由を入力してください。");
// %1 the teacher, %2 the day (07/08), %3 its marks.
inline const QString kDayToCorrect = QStringLiteral("%1　%2　%3");
inline const QString kClosingReasonLabel = QStringLiteral("理由:");
inline const QString kCloseNeedsReason = QStringLiteral("理由がないため締めませんでした。");
// %1 the month.
inline const QString kClosedNow = QStringLiteral("%1を締めました。");
// %1 why.
inline const QString kCloseFailed = QStringLiteral("月を締められませんでした: %1");
inline const QString kClosedMonthTitle = QStringLiteral("締め済みの月");
// %1 the month.
inline const QString kEntryInClosedMonth =
    QStringLiteral("%1は締め済みです。この記入は「締め後」と記録され、締めた時の数字と違えば「締め"
                   "後に変更」と示されます。記入しますか？");
// A month closed (締め).
inline const QString kNoFigure = QStringLiteral("なし");
inline const QStringList kClosedFigureNames = {QStringLiteral("出"), QStringLiteral("退"),
                                               QStringLiteral("在校等時間"),
                                               QStringLiteral("時間外"), QStringLiteral("所定")};
inline const QString kFingerprintName = QStringLiteral("指紋");
// %1 what, %2 at closing, %3 now: "在校等時間 9:15 → 10:30".
inline const QString kChangedFigure = QStringLiteral("%1 %2 → %3");
// %1 the teacher, %2 the date, %3 its marks.
inline const QString kCloseNeedsReasonOption =
    QStringLiteral("締め直しと要確認の日が残る月の締めには理由が要ります（--reason）");
// velmora-report --close and --verify.
inline const QString kCloseHelp =
    QStringLiteral("月を締めます（締め.dat に記録。--month と --by が要ります）");
inline const QString kVerifyHelp =
    QStringLiteral("締めた月の指紋を今のファイルから計算し直して照合します（一致 0、不一致 1）");
inline const QString kByHelp = QStringLiteral("締める人（記入者）");
inline const QString kReasonHelp = QStringLiteral("締めの理由（締め直し・要確認の日が残る月）");
inline const QString kCloseOrVerify = QStringLiteral("--close と --verify は一緒に使えません");
inline const QString kClosingNeedsMonth =
    QStringLiteral("--close と --verify には --month (YYYY-MM) が要ります");
inline const QString kCloseNeedsBy = QStringLiteral("--close には --by（締める人）が要ります");
// %1 when, %2 by whom.
inline const QString kClosedBefore = QStringLiteral("この月は %1 に %2 が締めています");
// %1 a day from kDayToCorrect.
inline const QString kToCorrectDay = QStringLiteral("要確認: %1");
// %1 the month, %2 how many teachers.
inline const QString kMonthClosed = QStringLiteral("%1 を締めました: 教職員 %2名");
// %1 the month.
inline const QString kNotClosed = QStringLiteral("%1 は締められていません");
inline const QString kMatches = QStringLiteral("一致");
inline const QString kDiffers = QStringLiteral("不一致");
// %1 the teacher, %2 the fingerprint now, %3 at closing, %4 一致 or 不一致 (the days follow).
inline const QString kVerifyLine = QStringLiteral("%1 %2 締め %3 %4");
// %1 the teacher, %2 the date, %3 締め後に変更, %4 the changes.
inline const QString kChangedDay = QStringLiteral("%1 %2 %3: %4");
// %1 the teacher, %2 締め後に変更: no day differs, the month does (a teacher the closing lacks).
inline const QString kChangedTeacher = QStringLiteral("%1 %2");
inline const QString kChangesSeparator = QStringLiteral("、");
inline const QString kClosingFieldCount = QStringLiteral("項目が12ではありません（%1）");
inline const QString kClosingBadFingerprint = QStringLiteral("指紋が読めません「%1」");
inline const QStringList kClosingStates = {QStringLiteral("未締め"), QStringLiteral("締め済み"),
                                           QStringLiteral("締め後に変更")};
// The board of education's month over the schools' folders.
inline const QString kBoardTotal = QStringLiteral("教育委員会計");
// %1 the folder.
inline const QString kNoRecordFilesIn = QStringLiteral("記録ファイルがありません: %1");
// %1 the folder, %2 why.
inline const QString kSchoolLeftOut = QStringLiteral("集計から除いた学校 \"%1\": %2");
inline const QString kBoardNeedsMonth =
    QStringLiteral("--board には -m YYYY-MM で月を指定してください");
inline const QString kBoardNoSchool = QStringLiteral("読めた学校がありません");
// %1 the month, %2 schools, %3 teachers, %4 schools left out.
inline const QString kBoardDone = QStringLiteral("%1: 学校 %2校　教職員 %3名　除いた学校 %4校");
inline const QString kBoardHelp =
    QStringLiteral("教育委員会の集計: 引数は学校ごとのフォルダ（記録ファイルと学校のファイル）");
inline const QString kBoardName = QStringLiteral("教育委員会");
inline const QString kSchool = QStringLiteral("学校");
inline const QStringList kBands = {
    QStringLiteral("45時間以下"), QStringLiteral("45時間超80時間未満"),
    QStringLiteral("80時間以上100時間未満"), QStringLiteral("100時間以上")};
inline const QStringList kBoardColumns = {QStringLiteral("学校"),
                                          QStringLiteral("教職員"),
                                          QStringLiteral("要確認の教職員"),
                                          QStringLiteral("在校等時間合計"),
                                          QStringLiteral("在校等時間平均"),
                                          QStringLiteral("在校等時間中央値"),
                                          QStringLiteral("在校等時間最大"),
                                          QStringLiteral("時間外合計"),
                                          QStringLiteral("時間外平均"),
                                          QStringLiteral("時間外中央値"),
                                          QStringLiteral("時間外最大"),
                                          QStringLiteral("45時間以下"),
                                          QStringLiteral("45時間超80時間未満"),
                                          QStringLiteral("80時間以上100時間未満"),
                                          QStringLiteral("100時間以上"),
                                          QStringLiteral("年360時間超"),
                                          QStringLiteral("年720時間超"),
                                          QStringLiteral("締め"),
                                          QStringLiteral("除いた理由")};
inline const QStringList kNoticeColumns = {
    QStringLiteral("学校"),   QStringLiteral("氏名"),           QStringLiteral("在校等時間"),
    QStringLiteral("時間外"), QStringLiteral("年度累計時間外"), QStringLiteral("該当する上限"),
    QStringLiteral("判定")};
inline const QString kBoardSheet = QStringLiteral("学校別");
inline const QString kNoticeSheet = QStringLiteral("通知対象");
// %1 the month.
inline const QString kBoardHeading =
    QStringLiteral("在校等時間 教育委員会 %1　時間外の教職員数（学校別）");
inline const QString kNoticeHeading = QStringLiteral(
    "通知対象の教職員 %1（月80時間以上・2〜6か月平均80時間超・45時間超が年7か月以上）");
inline const QString kNoNotice = QStringLiteral("該当する教職員はいません");
inline const QString kBoardView = QStringLiteral("教育委員会");
// Trying the time clock in a folder of its own (velmora --try). %1 the folder.
inline const QString kNotTryFolder = QStringLiteral(
    "\"%1\" には試しに使えません。空のフォルダーか、前に --try で作ったフォルダーを指定してください"
    "（学校のデータフォルダーには例のカードを登録しません）");
// The year of each teacher: `-f year`, its files and the window's 年度.
inline const QString kYearTitle = QStringLiteral("%1年度");
// %1 the month's number.
inline const QString kYearMonthInSchool = QStringLiteral("%1月在校等時間");
inline const QString kYearMonthBeyond = QStringLiteral("%1月時間外");
inline const QStringList kYearTotalColumns = {QStringLiteral("在校等時間合計"),
                                              QStringLiteral("時間外合計"),
                                              QStringLiteral("2か月平均最高"),
                                              QStringLiteral("3か月平均最高"),
                                              QStringLiteral("4か月平均最高"),
                                              QStringLiteral("5か月平均最高"),
                                              QStringLiteral("6か月平均最高"),
                                              QStringLiteral("45時間超の月数"),
                                              QStringLiteral("判定")};
// %1 the school year, %2 its last month counted (YYYY-MM), %3 how many teachers.
inline const QString kYearDone = QStringLiteral("%1年度（%2まで）: 教職員 %3名");
// %1 the school year, %2 its last month, %3 schools, %4 schools left out.
inline const QString kBoardYearDone =
    QStringLiteral("%1年度（%2まで）: 学校 %3校　除いた学校 %4校");
// %1 the school year's title, %2 the school.
inline const QString kYearHeading = QStringLiteral("在校等時間 %1　%2");
inline const QString kYearChartNote =
    QStringLiteral("月ごとの時間外（時間）。線は45時間。%1 までの集計");
inline const QString kYearView = QStringLiteral("年度（全員）");
// The window's 年度: a month's column and, over it, its 在校等時間 beside its 時間外. %1 the month.
inline const QString kYearMonthColumn = QStringLiteral("%1月");
inline const QString kYearMonthHeaderTip =
    QStringLiteral("%1月の時間外（在校等時間はその欄にマウスを置くと表示）");
inline const QString kYearMonthTip = QStringLiteral("在校等時間 %1　時間外 %2");

} // namespace velmora::texts
