#include "report/closing.h"
#include "saving/output.h"
#include "storage/times.h"
#include "texts/texts.h"

#include <algorithm>

namespace velmora {

namespace {

// A month closed again shows the closing it is compared with: the latest.
QString closedBy(const MonthReport& report) {
    const Closing& last = report.closings.last();
    return texts::kClosedBy.arg(writtenText(last.at), last.by);
}

QString fingerprintText(const TeacherMonth& t) {
    if (t.closing != ClosingState::Changed)
        return texts::kFingerprint.arg(shortFingerprint(t.fingerprint));
    const QString before = t.closedAs && !t.closedAs->fingerprint.isEmpty()
                               ? shortFingerprint(t.closedAs->fingerprint)
                               : texts::kNoFingerprint;
    return texts::kFingerprintChanged.arg(before, shortFingerprint(t.fingerprint));
}

} // namespace

QString closingCell(const TeacherMonth& teacher) {
    return teacher.closing == ClosingState::Open ? QString() : closingStateText(teacher.closing);
}

QString dayClosingCell(const Day& day) { return changeTexts(day).join(texts::kChangeSeparator); }

QString teacherClosingText(const MonthReport& report, const TeacherMonth& teacher) {
    QStringList parts;
    if (teacher.closing != ClosingState::Open && !report.closings.isEmpty())
        parts << texts::kClosingMark.arg(closingStateText(teacher.closing), closedBy(report));
    if (!teacher.fingerprint.isEmpty()) parts << fingerprintText(teacher);
    return parts.join(QStringLiteral("　"));
}

QString monthClosingText(const MonthReport& report) {
    if (report.closings.isEmpty()) return {};
    const bool changed =
        std::any_of(report.teachers.cbegin(), report.teachers.cend(),
                    [](const TeacherMonth& t) { return t.closing == ClosingState::Changed; });
    return texts::kClosingMark.arg(
        closingStateText(changed ? ClosingState::Changed : ClosingState::Closed), closedBy(report));
}

} // namespace velmora
