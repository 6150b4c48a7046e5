#include "report/month.h"

#include "report/holidays.h"
#include "texts/texts.h"

#include <QVarLengthArray>
#include <algorithm>
#include <numeric>

namespace velmora {

namespace {

QString joined(unsigned bits, const QStringList& names) {
    QStringList shown;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (bits & (1u << i)) shown << names[i];
    return shown.join(u'・');
}

} // namespace

QString notesText(Notes notes) { return joined(notes.toInt(), texts::kNotes); }
QString flagsText(Flags flags) { return joined(flags.toInt(), texts::kFlags); }

QString dayNotesText(const Day& day) {
    QStringList all = day.remarks;
    if (day.notes) all.prepend(notesText(day.notes));
    return all.join(u'・');
}

Day calendarDay(QDate date, const WorkRules& rules) {
    Day day;
    day.date = date;
    day.notes.setFlag(Note::Holiday, isNationalHoliday(date));
    const auto listed = rules.calendar.constFind(date);
    const bool inCalendar = listed != rules.calendar.cend();
    const bool withHours = inCalendar && listed->minutes > 0;
    // A date the calendar gives hours (a Saturday class) is a working day whatever else says.
    day.notes.setFlag(Note::DayOff, (rules.daysOff.contains(date) || inCalendar) && !withHours);
    day.notes.setFlag(Note::YearEnd, isYearEndHoliday(date) && !withHours);
    day.offDay =
        inCalendar ? !withHours : day.notes.toInt() != 0 || date.dayOfWeek() >= Qt::Saturday;
    if (inCalendar && !listed->title.isEmpty()) day.remarks << listed->title;
    return day;
}

int regularMinutes(const QString& name, const Day& calendar, const WorkRules& rules) {
    if (calendar.offDay) return 0;
    const int weekday = calendar.date.dayOfWeek();
    const auto lines = rules.staff.constFind(name);
    if (weekday <= 5 && lines != rules.staff.cend()) {
        // A later line is a later contract: it is the one that holds where both apply.
        for (auto line = lines->crbegin(); line != lines->crend(); ++line) {
            if (!line->applies(calendar.date)) continue;
            if (line->weekday[size_t(weekday - 1)] >= 0) return line->weekday[size_t(weekday - 1)];
            break;
        }
    }
    const auto listed = rules.calendar.constFind(calendar.date);
    return listed != rules.calendar.cend() ? listed->minutes : rules.regularMinutes;
}

namespace {

using Span = std::pair<int, int>;
// A day's few spans without a heap allocation: a report evaluates every day of every teacher.
using Spans = QVarLengthArray<Span, 8>;

// Sorted and merged where they touch or overlap, in place.
void merge(Spans& spans) {
    std::sort(spans.begin(), spans.end());
    qsizetype kept = 0;
    for (const Span& s : spans)
        if (kept > 0 && s.first <= spans[kept - 1].second)
            spans[kept - 1].second = std::max(spans[kept - 1].second, s.second);
        else
            spans[kept++] = s;
    spans.resize(kept);
}

int length(const Spans& spans) {
    int sum = 0;
    for (const Span& s : spans) sum += s.second - s.first;
    return sum;
}

// What a day's card records say, beside the times set on the day.
struct CardTimes {
    int arrivals = 0, leavings = 0, distinctArrivals = 0;
    bool badArrival = false, badLeaving = false;
};

CardTimes cardTimes(const QList<DayRecord>& records, Day& day) {
    CardTimes card;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const DayRecord& r = records[i];
        // 24:00 ends a day; no day starts there.
        const bool readable = r.minutes >= 0 && (!r.arrival || r.minutes < 24 * 60);
        if (r.arrival) {
            ++card.arrivals;
            card.badArrival |= !readable;
            // The same arrival read from two files (a terminal and a teacher's PC) is one;
            // an unreadable one is 時刻不正, not a second arrival.
            bool again = !readable;
            for (qsizetype j = 0; !again && j < i; ++j)
                again = records[j].arrival && records[j].minutes == r.minutes;
            card.distinctArrivals += again ? 0 : 1;
            if (readable && (day.cardArrival < 0 || r.minutes < day.cardArrival))
                day.cardArrival = r.minutes;
        } else {
            ++card.leavings;
            card.badLeaving |= !readable;
            if (readable && r.minutes > day.cardLeaving) day.cardLeaving = r.minutes;
        }
    }
    day.arrival = day.cardArrival;
    day.leaving = day.cardLeaving;
    return card;
}

// The standing entries of a day: the latest correction of each end holds.
struct DayEntries {
    const Entry* arrivalFix = nullptr;
    const Entry* leavingFix = nullptr;
    Spans counted, study, leave;
    bool dayLeave = false;
};

// Takes the entries into the day's remarks, its corrected times and its regular hours.
DayEntries takeEntries(const QList<EntryState>& entries, int regular, Day& day) {
    DayEntries taken;
    for (const EntryState& state : entries) {
        if (state.cancelled()) continue;
        const Entry& e = state.entry;
        const bool span = e.start >= 0 && e.end > e.start;
        QString remark = entryKindName(e.kind);
        switch (e.kind) {
        case EntryKind::Trip:
        case EntryKind::Telework:
            if (span) taken.counted << Span{e.start, e.end};
            break;
        case EntryKind::SelfStudy:
            if (span) taken.study << Span{e.start, e.end};
            break;
        case EntryKind::ArrivalFix:
            if (e.start >= 0) taken.arrivalFix = &e;
            remark.clear();
            break;
        case EntryKind::LeavingFix:
            if (e.end >= 0) taken.leavingFix = &e;
            remark.clear();
            break;
        case EntryKind::Leave:
            if (span) {
                remark += hoursText(e.end - e.start);
                taken.leave << Span{e.start, e.end};
            }
            taken.dayLeave |= e.start < 0 && e.end < 0;
            break;
        }
        if (!remark.isEmpty() && !day.remarks.contains(remark)) day.remarks << remark;
    }
    // Hours of leave entered twice, or overlapping, are off once.
    if (taken.leave.size() > 1) merge(taken.leave);
    day.regular = taken.dayLeave ? 0 : std::max(0, regular - length(taken.leave));
    const auto corrected = [&](EntryKind kind, int card) {
        day.remarks << texts::kCorrected.arg(entryKindName(kind),
                                             card < 0 ? texts::kNoCardTime : hoursText(card));
    };
    if (taken.arrivalFix) {
        day.arrival = taken.arrivalFix->start;
        corrected(EntryKind::ArrivalFix, day.cardArrival);
    }
    if (taken.leavingFix) {
        day.leaving = taken.leavingFix->end;
        corrected(EntryKind::LeavingFix, day.cardLeaving);
    }
    return taken;
}

// The marks of a day with times; a correction answers the marks of its own end only.
void markDay(const CardTimes& card, const DayEntries& taken, Day& day) {
    day.notes.setFlag(Note::BadTime, (card.badArrival && !taken.arrivalFix) ||
                                         (card.badLeaving && !taken.leavingFix));
    day.notes.setFlag(Note::NoArrival, card.arrivals == 0 && !taken.arrivalFix);
    day.notes.setFlag(Note::NoLeaving, card.leavings == 0 && !taken.leavingFix);
    day.notes.setFlag(Note::TwoArrivals, card.distinctArrivals > 1 && !taken.arrivalFix);
    day.notes.setFlag(Note::LeavingFirst, !hasMark(day.notes) && day.leaving < day.arrival);
}

// The time outside school joins the stay; the break is taken out only as far as that
// exceeds 6 hours, so that a longer day never counts less than a shorter one.
void countFigures(DayEntries& taken, bool anyTime, const WorkRules& rules, Day& day) {
    Spans& counted = taken.counted;
    if (counted.size() > 1) merge(counted);
    if (taken.study.size() > 1) merge(taken.study);
    const int total = length(counted);
    int studied = 0;
    for (const Span& s : taken.study)
        for (const Span& u : counted)
            studied += std::max(0, std::min(s.second, u.second) - std::max(s.first, u.first));
    day.outside = total - (anyTime ? day.leaving - day.arrival : 0);
    day.takenOut = std::min(total, std::clamp(total - 6 * 60, 0, rules.breakMinutes) + studied);
    day.inSchool = total - day.takenOut;
    day.beyond = std::max(0, day.inSchool - day.regular);
}

} // namespace

Day evaluateDay(const Day& calendar, const QList<DayRecord>& records,
                const QList<EntryState>& entries, int regular, const WorkRules& rules) {
    Day day = calendar;
    const CardTimes card = cardTimes(records, day);
    DayEntries taken = takeEntries(entries, regular, day);
    const bool anyTime = !records.isEmpty() || taken.arrivalFix || taken.leavingFix;
    if (anyTime) {
        markDay(card, taken, day);
        if (hasMark(day.notes)) return day;
        taken.counted << Span{day.arrival, day.leaving};
    }
    if (!taken.counted.isEmpty()) countFigures(taken, anyTime, rules, day);
    return day;
}

Flags monthFlags(const QList<int>& monthly, int inSchoolYear) {
    constexpr int h = 60;
    const int month = monthly.isEmpty() ? 0 : monthly.back();
    Flags flags;
    flags.setFlag(Flag::Over45, month > kOver45Hours * h);
    flags.setFlag(Flag::Over80, month >= kOver80Hours * h);
    flags.setFlag(Flag::Over100, month >= 100 * h);
    // Any average over the last 2 to 6 months above 80 h: sum > 80 h × months.
    int sum = month;
    bool averageOver = false;
    for (int k = 2; k <= 6 && k <= monthly.size(); ++k) {
        sum += monthly[monthly.size() - k];
        averageOver |= sum > kOver80Hours * h * k;
    }
    flags.setFlag(Flag::Average80, averageOver);
    const auto year = monthly.end() - std::min<qsizetype>(inSchoolYear, monthly.size());
    flags.setFlag(Flag::SevenOver45, std::count_if(year, monthly.end(),
                                                   [](int m) { return m > kOver45Hours * h; }) > 6);
    const int yearTotal = std::accumulate(year, monthly.end(), 0);
    flags.setFlag(Flag::Year360, yearTotal > 360 * h);
    flags.setFlag(Flag::Year720, yearTotal > 720 * h);
    return flags;
}

} // namespace velmora
