#pragma once
// The board of education's month: every school's teachers in bands of the month's hours
// beyond regular hours, the schools' and the board's totals, and the teachers the board
// must tell (a doctor's interview is offered to them).

#include "report/month.h"
#include "report/report.h"

#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace velmora {

// The national survey's bands of the month's 時間外: 45時間以下, 45時間超80時間未満,
// 80時間以上100時間未満, 100時間以上. Decided by the month's flags, so that the limits have
// one home.
enum class Band { UpTo45, Over45, From80, From100 };
constexpr int kBands = 4;
Band bandOf(Flags flags);

// A school's month is closed when every teacher's is, changed when any teacher's changed since.
ClosingState schoolClosing(const QList<ClosingState>& teachers);

// The limits that put a teacher on the board's list.
constexpr Flags kToldFlags = Flags(Flag::Over80) | Flag::Average80 | Flag::SevenOver45;

// What the board keeps of a teacher's month; the days are left behind.
struct TeacherFigures {
    QString name;
    int inSchool = 0;
    int beyond = 0;
    int yearBeyond = 0;
    bool toCorrect = false;
    Flags flags;
    ClosingState closing = ClosingState::Open;
};

struct School {
    QString name;
    QString folder;
    QList<TeacherFigures> teachers;
};
School schoolOf(const QString& name, const QString& folder, const MonthReport& report);

// Minutes over a set of teachers; the median of an even count is the lower of the two
// middle figures' mean, to the minute.
struct Spread {
    qint64 total = 0;
    int mean = 0;
    int median = 0;
    int largest = 0;
};

struct SchoolRow {
    QString name;
    QString folder; // the school's; empty for the board's total
    int teachers = 0;
    int toCorrect = 0; // teachers with days to correct
    Spread inSchool, beyond;
    std::array<int, kBands> bands{};
    int over360 = 0, over720 = 0;        // the school year so far
    std::optional<ClosingState> closing; // a school's alone: the board closes nothing
};

struct Notice {
    QString school;
    TeacherFigures teacher;
    Flags limits; // within kToldFlags
};

// A school folder the board could not count, and why.
struct LeftOut {
    QString folder;
    QString reason;
};

struct BoardReport {
    QDate month;
    QList<SchoolRow> rows; // in the order the folders were given
    SchoolRow total;       // over every teacher of every school, its median too
    QList<Notice> notices; // school by school, each school's by name
    QList<LeftOut> leftOut;
    QStringList warnings; // each school's, its name first
};

BoardReport boardReport(QDate month, const QList<School>& schools, QList<LeftOut> leftOut = {});

} // namespace velmora
