#pragma once
// How far the reading of the record files is, for the progress that the command line and
// the window show. The library counts and tells when; the caller draws (no widget here).

#include "storage/datafiles.h"

#include <QElapsedTimer>
#include <functional>

namespace velmora {

// Work shorter than this shows no progress at all.
inline constexpr qint64 kProgressAfterMs = 1000;

// The work was stopped through the progress: no fault of any file.
class Stopped : public Failure {
public:
    Stopped();
};

// Told the percentage done, from the thread doing the work. Returning false stops the work.
using ProgressShow = std::function<bool(int percent)>;

// Tells `show` nothing during the first `afterMs` of the work, then each new percentage, so
// that a short report flashes no dialog and a long one is not drawn at every block.
class ProgressMeter {
public:
    explicit ProgressMeter(ProgressShow show, qint64 afterMs = kProgressAfterMs)
        : show_(std::move(show)), afterMs_(afterMs) {}
    // The work begins: `total` bytes to pass.
    void start(qint64 total);
    // `done` of the bytes are behind. Throws Stopped when `show` asks
    // to stop.
    void advance(qint64 done);

private:
    ProgressShow show_;
    qint64 afterMs_;
    qint64 total_ = 0;
    QElapsedTimer timer_;
    int shown_ = -1;
};

} // namespace velmora
