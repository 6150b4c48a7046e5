#include "recordchain/chain.h"

#include "storage/backwardlines.h"
#include "storage/fields.h"
#include "storage/osfile.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace velmora {

namespace {

constexpr qint64 kBlock = 64 * 1024;
constexpr std::string_view kLate = "late";

int hexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The 32 bytes of a value in lower-case hex; empty for other text. Every line of a chain is
// read by the report, so neither this nor the offset goes through a conversion of its own.
QByteArray valueOf(std::string_view hex) {
    if (hex.size() != 64) return {};
    QByteArray value(32, Qt::Uninitialized);
    for (size_t i = 0; i < 32; ++i) {
        const int high = hexDigit(hex[2 * i]), low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return {};
        value[qsizetype(i)] = char(high << 4 | low);
    }
    return value;
}

std::optional<qint64> offsetOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 18) return std::nullopt;
    qint64 offset = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        offset = offset * 10 + (c - '0');
    }
    return offset;
}

} // namespace

QString chainFileOf(const QString& recordFile) {
    const QString suffix = QFileInfo(recordFile).suffix();
    const qsizetype stem =
        suffix.isEmpty() ? recordFile.size() : recordFile.size() - suffix.size() - 1;
    return recordFile.left(stem) + QStringLiteral(".chain");
}

QByteArray chainLine(const ChainLink& link) {
    const QByteArray offset = QByteArray::number(link.offset), value = link.value.toHex();
    return link.late ? quotedLine({offset, value, QByteArrayView(kLate)})
                     : quotedLine({offset, value});
}

std::optional<ChainLink> parseChainLine(std::string_view line) {
    std::string_view fields[4];
    const size_t count = readFields(line, fields, 4);
    if (count < 2 || count > 3 || (count == 3 && fields[2] != kLate)) return std::nullopt;
    const std::optional<qint64> offset = offsetOf(fields[0]);
    QByteArray value = valueOf(fields[1]);
    if (!offset || value.isEmpty()) return std::nullopt;
    return ChainLink{*offset, std::move(value), count == 3};
}

QByteArrayView Chainer::next(QByteArrayView previous, QByteArrayView recordLine) {
    hash_.reset();
    hash_.addData(previous);
    hash_.addData(recordLine);
    return hash_.resultView();
}

std::optional<ForwardLine> ForwardLines::next() {
    for (;;) {
        const qsizetype end = buffer_.indexOf('\n', std::max(start_, searched_));
        const bool allRead = next_ >= to_;
        if (end >= 0 || (allRead && start_ < buffer_.size())) {
            const qsizetype n = (end >= 0 ? end + 1 : buffer_.size()) - start_;
            ForwardLine line{bufferAt_ + start_, QByteArrayView(buffer_).sliced(start_, n)};
            start_ += n;
            if (std::exchange(skipping_, false)) continue; // the rest of a line too long
            return line;
        }
        if (allRead) return std::nullopt;
        bufferAt_ += start_;
        buffer_.remove(0, std::exchange(start_, 0));
        if (buffer_.size() > kLongestLine) {
            const ForwardLine line{bufferAt_, {}, true};
            bufferAt_ += buffer_.size();
            buffer_.clear();
            if (!std::exchange(skipping_, true)) return line;
        }
        searched_ = buffer_.size();
        const qint64 n = std::min(kBlock, to_ - next_);
        buffer_ += file_.readAt(next_, n);
        next_ += n;
    }
}

} // namespace velmora
