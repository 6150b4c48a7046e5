#pragma once
// A timer whose state is a named interval: a state of 0 ms stops it, any other (re)starts
// its countdown from now. What started the last operation is read back from the state.

#include <QTimer>
#include <functional>

namespace velmora {

template <class State> class Timer {
public:
    explicit Timer(State state) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (handler_) handler_();
        });
        set(state);
    }
    State state() const { return state_; }
    void set(State state) {
        state_ = state;
        if (const int ms = static_cast<int>(state))
            timer_.start(ms);
        else
            timer_.stop();
    }
    void onTick(std::function<void()> handler) { handler_ = std::move(handler); }

private:
    QTimer timer_;
    State state_{};
    std::function<void()> handler_;
};

} // namespace velmora
