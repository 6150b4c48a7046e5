#include "report/progress.h"

#include "storage/datafiles.h"
#include "texts/texts.h"

namespace velmora {

Stopped::Stopped() : Failure(texts::kReportStopped) {}

void ProgressMeter::start(qint64 total) {
    total_ = total;
    shown_ = -1;
    timer_.start();
}

void ProgressMeter::advance(qint64 done) {
    const int percent = total_ > 0 ? int(std::min(done, total_) * 100 / total_) : 100;
    if (percent <= shown_ || (shown_ < 0 && timer_.elapsed() < afterMs_)) return;
    shown_ = percent;
    if (!show_(percent)) throw Stopped();
}

} // namespace velmora
