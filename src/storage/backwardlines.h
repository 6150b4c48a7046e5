#pragma once
// Reading a data file from its end. The files grow for years and the line a lookup wants
// (a user's last record, a card's last registration) is normally near the end, so the
// file is read backwards in blocks, only as far as needed, and the lines that cannot hold
// the wanted key are passed over by searching for the key alone, not split.

#include <QByteArray>
#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace velmora {

// No line the program writes comes near this. A longer line in a file was put there by
// something else; it is skipped as malformed, and never held whole, so that memory stays
// bounded whatever a file holds.
inline constexpr qint64 kLongestLine = 1 << 20;

// The last place of a needle in bytes, by Horspool's search run from the end: at each try
// the byte under the needle's first position tells how far it may move back, mostly its
// whole length, so that most bytes of a long file are never looked at.
class BackwardSearch {
public:
    explicit BackwardSearch(std::string_view needle);
    // npos when absent; an empty needle is found at the end.
    size_t lastIn(std::string_view data) const;

private:
    std::string_view needle_;
    std::array<size_t, 256> shift_;
};

// Lines from the last to the first. CR LF, a lone CR and a lone LF each end a line, and a
// line end at the very end of the data starts no further line. Lines longer than
// `longestLine` are passed over.
class BackwardLineReader {
public:
    // Puts up to `limit` of the bytes lying just before those already read so that they end
    // at `end`, and says how many; 0 at the start. Read straight into the reader's buffer, a
    // file costs no copy beyond the system's.
    using ReadBefore = std::function<qint64(char* end, qint64 limit)>;

    // All the data at hand.
    explicit BackwardLineReader(std::string_view data);
    // Only the data's end at hand; `readBefore` brings the rest on demand.
    BackwardLineReader(ReadBefore readBefore, qint64 blockSize, qint64 longestLine = kLongestLine);

    bool previous(std::string_view& line);
    // The lines previous() would give next, in its order, replacing those in `lines`: all
    // whole ones of the data at hand, or else the one previous() gives, so that a reader of
    // every line pays the call once a block. They stay valid until the next call; false at
    // the start of the data.
    bool previousLines(std::vector<std::string_view>& lines);
    // The previous line that holds the searched needle (one without a line end in it), as a
    // loop over previous() keeping only such lines would give it.
    bool previousHolding(const BackwardSearch& search, std::string_view& line);
    // How many lines longer than `longestLine` previous() passed over so far: those passed in
    // a call lie after the line it gives, so that a reader can number its lines.
    qint64 longLinesPassed() const { return longLines_; }

private:
    std::string_view view() const {
        return {storage_.constData() + front_, size_t(storage_.size()) - front_};
    }
    // Never through QByteArray's operator[]: it would copy data held in place.
    char at(size_t i) const { return storage_.constData()[front_ + i]; }
    size_t lastLineEnd();
    bool start();
    void dropFinalLineEnd();
    bool skipLongLine();
    size_t growFront();
    void makeRoom(size_t n, size_t keep);

    ReadBefore readBefore_;
    qint64 blockSize_ = 0;
    size_t longestLine_ = kLongestLine;
    // The data at hand starts at front_ (the room before it takes what is read next) and its
    // unread part ends at end_ from there.
    QByteArray storage_;
    size_t front_ = 0;
    size_t end_ = 0;
    size_t searchEnd_ = 0; // where the search for the next line end starts
    // previousHolding(): the unread bytes from here on hold no line end, so that a long line
    // read in front is looked through once (npos: unknown).
    size_t clean_ = std::string_view::npos;
    bool started_ = false;
    bool done_ = false;
    qint64 longLines_ = 0;
};

// The last line whose first field is `key` and that has at least `count` fields, read
// into `fields` (valid until the reader moves on). Shorter lines were not written by the
// program whole, and a key holding a line break lies on no line: both give false.
bool lastLineStartingWith(BackwardLineReader& lines, std::string_view key, std::string_view* fields,
                          size_t count);

} // namespace velmora
