#include "platform/sdl/PresentSchedule.h"

FramePlan PresentSchedule::Take() {
    FramePlan plan;
    if (uiInput_) {
        plan.imguiFrames = 2;
    } else if (windowsOpen_) {
        plan.imguiFrames = 1;
    }
    plan.present = pictureChanged_ || plan.imguiFrames > 0;
    *this = PresentSchedule{};
    return plan;
}
