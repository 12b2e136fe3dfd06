#include "app/progress.h"

#include <algorithm>

void ProgressMeter::begin(const std::string& command) {
    if (depth_++ > 0)
        return;
    command_ = command;
    started_ = clock_();
    shown_ = started_ - kProgressInterval;
    busy_ = false;
}

void ProgressMeter::step(const std::string& step, double fraction) {
    if (depth_ == 0)
        return;
    const double now = clock_();
    if (now - started_ < kProgressDelay || now - shown_ < kProgressInterval)
        return;
    if (!busy_)
        display_.busy(true);
    busy_ = true;
    shown_ = now;
    display_.show(step.empty() ? command_ : command_ + ": " + step, std::clamp(fraction, 0.0, 1.0));
}

void ProgressMeter::end() {
    if (depth_ == 0 || --depth_ > 0)
        return;
    if (busy_)
        display_.busy(false);
    busy_ = false;
}
