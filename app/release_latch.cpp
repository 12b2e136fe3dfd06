#include "app/release_latch.h"

#include "app/input_handlers.h"

std::optional<MouseEvent> ReleaseLatch::onEvent(const MouseEvent& event) {
    if (event.state == kButtonUp && pressUnseen_) {
        held_ = event;
        return std::nullopt;
    }
    if (event.state == kButtonDown)
        pressUnseen_ = true;
    return event;
}

std::optional<MouseEvent> ReleaseLatch::afterFrame() {
    pressUnseen_ = false;
    std::optional<MouseEvent> due = held_;
    held_.reset();
    return due;
}
