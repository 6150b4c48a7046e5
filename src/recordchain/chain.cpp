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

bool isHexValue(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
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
    const std::string_view offset = fields[0];
    if (count < 2 || count > 3 || (count == 3 && fields[2] != kLate)) return std::nullopt;
    if (offset.empty() || offset.size() > 18 || !isHexValue(fields[1]) ||
        !std::all_of(offset.begin(), offset.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return ChainLink{std::stoll(std::string(offset)),
                     QByteArray::fromHex(QByteArray(fields[1].data(), 64)), count == 3};
}

QByteArray Chainer::next(const QByteArray& previous, QByteArrayView recordLine) {
    hash_.reset();
    hash_.addData(previous);
    hash_.addData(recordLine);
    return hash_.result();
}

std::optional<ForwardLine> ForwardLines::next() {
    for (;;) {
        const qsizetype end = buffer_.indexOf('\n', std::max(start_, searched_));
        const bool allRead = next_ >= to_;
        if (end >= 0 || (allRead && start_ < buffer_.size())) {
            const qsizetype n = (end >= 0 ? end + 1 : buffer_.size()) - start_;
            ForwardLine line{bufferAt_ + start_, buffer_.sliced(start_, n)};
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
