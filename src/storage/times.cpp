#include "storage/times.h"

#include "texts/texts.h"

namespace velmora {

namespace {

char16_t unit(char c) { return static_cast<unsigned char>(c); }
char16_t unit(QChar c) { return c.unicode(); }

int digit(char16_t c, bool wide) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (wide && c >= u'０' && c <= u'９') return c - u'０';
    return -1;
}

// One reader for a record's bytes and for typed text alike.
template <class View> std::optional<int> readTime(View t, const TimeRule& rule) {
    const auto size = qsizetype(t.size());
    const auto digitAt = [&](qsizetype i) { return i < size ? digit(unit(t[i]), rule.wide) : -1; };
    const auto colonAt = [&](qsizetype i) {
        return i < size && (unit(t[i]) == u':' || (rule.wide && unit(t[i]) == u'：'));
    };
    // Two digits from `i` as a number below 60, or -1.
    const auto sixty = [&](qsizetype i) {
        const int tens = digitAt(i), ones = digitAt(i + 1);
        return tens < 0 || ones < 0 || tens > 5 ? -1 : tens * 10 + ones;
    };
    int hour = digitAt(0);
    if (hour < 0) return std::nullopt;
    qsizetype p = 1;
    if (const int more = digitAt(1); more >= 0) hour = hour * 10 + more, p = 2;
    if (!colonAt(p)) return std::nullopt;
    const int minute = sixty(p + 1);
    if (minute < 0) return std::nullopt;
    p += 3;
    if (p < size) {
        const int second = colonAt(p) && p + 3 == size ? sixty(p + 1) : -1;
        if (second < 0 || rule.seconds == TimeRule::NoSeconds ||
            (rule.seconds == TimeRule::ZeroSeconds && second != 0))
            return std::nullopt;
    }
    if (hour * 60 + minute > rule.latest) return std::nullopt;
    return hour * 60 + minute;
}

// Up to `most` digits from `p` (full-width too); nothing for none.
std::optional<int> number(QStringView text, qsizetype& p, int most) {
    int value = 0, count = 0;
    for (; p < text.size() && count < most; ++p, ++count) {
        const int d = digit(text[p].unicode(), true);
        if (d < 0) break;
        value = value * 10 + d;
    }
    if (count == 0) return std::nullopt;
    return value;
}

char16_t narrow(QChar c) {
    const char16_t u = c.unicode();
    return u >= 0xFF01 && u <= 0xFF5E ? char16_t(u - 0xFEE0) : u;
}

} // namespace

std::optional<int> parseTime(QStringView text, TimeRule rule) {
    return readTime(rule.spaces ? text.trimmed() : text, rule);
}

std::optional<int> parseTime(std::string_view text, TimeRule rule) {
    rule.wide = false;
    return readTime(text, rule);
}

QString timeText(int minutes, int hourDigits) {
    if (minutes < 0) return {};
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, hourDigits, 10, QChar(u'0'))
        .arg(minutes % 60, 2, 10, QChar(u'0'));
}

QString spanText(int start, int end) {
    if (start < 0 && end < 0) return {};
    return timeText(start) + texts::kSpanSeparator + timeText(end);
}

std::optional<QDate> parseDate(QStringView text) {
    text = text.trimmed();
    qsizetype p = 0;
    const auto year = number(text, p, 4);
    if (!year || p != 4 || *year < 2000 || *year > 2099 || p >= text.size()) return std::nullopt;
    const char16_t sep = narrow(text[p]);
    if (sep != u'-' && sep != u'/') return std::nullopt;
    ++p;
    const auto month = number(text, p, 2);
    if (!month || p >= text.size() || narrow(text[p]) != sep) return std::nullopt;
    ++p;
    const auto day = number(text, p, 2);
    if (!day || p != text.size()) return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

QString dateText(QDate date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

std::optional<QDateTime> parseWritten(QStringView text) {
    static constexpr TimeRule kWrittenTime{
        .seconds = TimeRule::ZeroSeconds, .wide = true, .spaces = true, .latest = 24 * 60 - 1};
    text = text.trimmed();
    qsizetype space = text.indexOf(u' ');
    if (space < 0) space = text.indexOf(u'　');
    if (space < 0) return std::nullopt;
    const auto date = parseDate(text.first(space));
    const auto time = parseTime(text.sliced(space + 1), kWrittenTime);
    if (!date || !time) return std::nullopt;
    // A wall-clock time as written, of no zone: held as UTC, so that no conversion (and no
    // look at the system's zone, per line) ever touches it.
    return QDateTime(*date, QTime(*time / 60, *time % 60), Qt::UTC);
}

QString writtenText(const QDateTime& written) {
    return written.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace velmora
