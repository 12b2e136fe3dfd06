// Holding back a mouse release that would otherwise reach the panel in the same frame as its
// press: ImGui 1.86 reads the mouse state once per frame, so such a click would be lost.
#pragma once

#include <optional>

struct MouseEvent {
    int button = 0, state = 0, x = 0, y = 0;
};

class ReleaseLatch {
  public:
    // The event to hand to ImGui now, or nothing when it is a release whose press no frame
    // has seen yet (then it is held for afterFrame).
    std::optional<MouseEvent> onEvent(const MouseEvent& event);
    // Called after each panel frame: the held release, due now that a frame saw its press.
    std::optional<MouseEvent> afterFrame();

  private:
    bool pressUnseen_ = false;
    std::optional<MouseEvent> held_;
};
