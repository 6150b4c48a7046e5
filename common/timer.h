#pragma once
// A timer whose interval is its whole state: 0 stops it, any other value (re)starts its
// countdown from now. The windows read the interval back as a flag.

#include <QObject>
#include <QTimer>
#include <functional>

namespace velmora {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(int interval, QObject* parent = nullptr);
    int interval() const { return interval_; }
    void setInterval(int milliseconds);
    void onTick(std::function<void()> handler) { handler_ = std::move(handler); }

private:
    QTimer timer_;
    int interval_ = 0;
    std::function<void()> handler_;
};

} // namespace velmora
