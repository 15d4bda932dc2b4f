#include "platform/sdl/PresentSchedule.h"

FramePlan PresentSchedule::Take() {
    FramePlan plan;
    if (uiInput_) {
        plan.imguiFrames = 2;
    } else if (windowsOpen_) {
        plan.imguiFrames = 1;
    }
    plan.present = pictureChanged_ || plan.imguiFrames > 0 || windowLost_;
    // A menu or dialog over the picture is built anew with it: a pop-up
    // opened by the last frame of a pass shows only from the next frame on.
    if (plan.present && overlay_ && plan.imguiFrames == 0) plan.imguiFrames = 1;
    plan.wholeWindow = !keepsPixels_ || windowLost_ || overlay_ || plan.imguiFrames > 0;
    // What is kept from pass to pass: the renderer's nature, and a loss not
    // yet made good.
    if (plan.present) windowLost_ = false;
    uiInput_ = pictureChanged_ = windowsOpen_ = overlay_ = false;
    return plan;
}
