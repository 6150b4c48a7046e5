#include "board/board.h"

#include "texts/texts.h"

#include <algorithm>

namespace velmora {

namespace {

Spread spread(QList<int> minutes) {
    Spread s;
    if (minutes.isEmpty()) return s;
    std::sort(minutes.begin(), minutes.end());
    for (int m : minutes) s.total += m;
    const qsizetype n = minutes.size();
    s.mean = int(s.total / n);
    s.median = n % 2 ? minutes[n / 2] : (minutes[n / 2 - 1] + minutes[n / 2]) / 2;
    s.largest = minutes.back();
    return s;
}

SchoolRow rowOf(const QString& name, const QList<const TeacherFigures*>& teachers) {
    SchoolRow row;
    row.name = name;
    row.teachers = int(teachers.size());
    QList<int> inSchool, beyond;
    QList<ClosingState> closings;
    for (const TeacherFigures* t : teachers) {
        closings << t->closing;
        inSchool << t->inSchool;
        beyond << t->beyond;
        row.toCorrect += t->toCorrect;
        ++row.bands[size_t(bandOf(t->flags))];
        row.over360 += t->flags.testFlag(Flag::Year360);
        row.over720 += t->flags.testFlag(Flag::Year720);
    }
    row.inSchool = spread(inSchool);
    row.beyond = spread(beyond);
    row.closing = schoolClosing(closings);
    return row;
}

} // namespace

Band bandOf(Flags flags) {
    if (flags.testFlag(Flag::Over100)) return Band::From100;
    if (flags.testFlag(Flag::Over80)) return Band::From80;
    if (flags.testFlag(Flag::Over45)) return Band::Over45;
    return Band::UpTo45;
}

ClosingState schoolClosing(const QList<ClosingState>& teachers) {
    if (teachers.contains(ClosingState::Changed)) return ClosingState::Changed;
    const bool closed = !teachers.isEmpty() && !teachers.contains(ClosingState::Open);
    return closed ? ClosingState::Closed : ClosingState::Open;
}

School schoolOf(const QString& name, const QString& folder, const MonthReport& report) {
    School school{.name = name, .folder = folder, .teachers = {}};
    school.teachers.reserve(report.teachers.size());
    for (const TeacherMonth& t : report.teachers)
        school.teachers << TeacherFigures{t.name,          t.inSchool, t.beyond, t.yearBeyond,
                                          t.toCorrect > 0, t.flags,    t.closing};
    return school;
}

BoardReport boardReport(QDate month, const QList<School>& schools, QList<LeftOut> leftOut) {
    BoardReport board;
    board.month = month;
    board.leftOut = std::move(leftOut);
    QList<const TeacherFigures*> everyone;
    for (const School& school : schools) {
        QList<const TeacherFigures*> teachers;
        for (const TeacherFigures& t : school.teachers) {
            teachers << &t;
            if (const Flags limits = t.flags & kToldFlags)
                board.notices << Notice{school.name, t, limits};
        }
        board.rows << rowOf(school.name, teachers);
        board.rows.back().folder = school.folder;
        everyone << teachers;
    }
    board.total = rowOf(texts::kBoardTotal, everyone);
    board.total.closing.reset();
    return board;
}

} // namespace velmora
