// The title, information and result screens' jobs for the atlas generator.
#include "ScreensArt.h"

void AddScreensJobs(JobList& jobs) {
    using namespace screens;
    namespace s = sprite;
    // Gradients of the static pictures are dithered; the animation frames are
    // not, since a dither pattern that differs between frames would shimmer.
    const DitherArea strip{59, 299, 516, 70};
    const DitherArea lens{4, 4, 46, 21};
    // clang-format off
    const Job list[] = {
        // The page first: its last row is the title picture's first, which wins.
        {"information page",     s::kInformationPage,     PaintInformationPage, FinishInformationPage},
        {"title picture",        s::kTitlePicture,        PaintTitlePicture,    nullptr, kDitherAll},
        {"title panel",          s::kTitlePanel,          PaintTitlePanel},
        {"second page panel",    s::kSecondPagePanel,     PaintSecondPagePanel},
        // Painted opaque once: the keyed background and the strip are its pixels.
        {"title background",     s::kTitleBackgroundFull, PaintTitleBackground, nullptr, strip},
        {"beacon, white beam",   s::kTitleAnimA,          PaintTitleAnimA},
        {"beacon, turned away",  s::kTitleAnimB,          PaintTitleAnimB},
        {"beacon, green beam",   s::kTitleAnimC,          PaintTitleAnimC},
        {"approach lights 0",    s::kTitleMotif0,         PaintTitleMotif0},
        {"approach lights 1",    s::kTitleMotif1,         PaintTitleMotif1},
        {"approach lights 2",    s::kTitleMotif2,         PaintTitleMotif2},
        {"approach lights 3",    s::kTitleMotif3,         PaintTitleMotif3},
        {"aircraft banked",      s::kAircraftA,           PaintAircraftA,       FinishAircraft},
        {"aircraft level",       s::kAircraftB,           PaintAircraftB,       FinishAircraft},
        {"start pressed",        s::kStartPressed,        PaintStartPressed},
        {"start released",       s::kStartReleased,       PaintStartReleased},
        {"quit pressed",         s::kQuitPressed,         PaintQuitPressed},
        {"quit released",        s::kQuitReleased,        PaintQuitReleased},
        {"page pressed",         s::kPagePressed,         PaintPagePressed},
        {"page released",        s::kPageReleased,        PaintPageReleased},
        {"middle released",      s::kMiddleReleased,      nullptr,              FinishMiddleReleased},
        {"continue pressed",     s::kContinuePressed,     PaintContinuePressed},
        {"information bar",      s::kInformationBar,      PaintInformationBar},
        {"second page bar",      s::kSecondPageBar,       PaintSecondPageBar},
        {"label distance",       s::kLabelSignals,        PaintLabel},
        {"label ILS",            s::kLabelIls,            PaintLabel},
        {"label airspeed",       s::kLabelAirspeed,       PaintLabel},
        {"label altitude",       s::kLabelAltitude,       PaintLabel},
        {"label attitude",       s::kLabelAttitude,       PaintLabel},
        {"label drag",           s::kLabelDrag,           PaintLabel},
        {"label lift",           s::kLabelLift,           PaintLabel},
        {"label turbulence",     s::kLabelTurbulence,     PaintLabel},
        {"label outside view",   s::kLabelOutsideView,    PaintLabel},
        {"label power",          s::kLabelPower,          PaintLabel},
        {"label heading",        s::kLabelHeading,        PaintLabel},
        {"label climb rate",     s::kLabelClimbRate,      PaintLabel},
        {"label control pad",    s::kLabelControlPad,     PaintLabel},
        {"label pedals",         s::kLabelPedals,         PaintLabel},
        {"label page switch",    s::kLabelPageSwitch,     PaintLabel},
        {"label restart",        s::kLabelRestart,        PaintLabel},
        {"preview cockpit",      s::kPreviewCockpit,      PaintPreviewCockpit,  FinishPreviewCockpit},
        {"preview approach",     s::kPreviewApproach,     PaintPreviewApproach},
        {"message panel",        s::kMessagePanel,        PaintMessagePanel},
        {"warning headline",     s::kWarningHeadline,     PaintWarningHeadline},
        {"failure headline",     s::kFailureHeadline,     PaintFailureHeadline},
        {"arrival headline",     s::kArrivalHeadline,     PaintArrivalHeadline},
        {"warning lamp lit",     s::kWarningLampLit,      PaintWarningLampLit,  nullptr, lens},
        {"warning lamp dark",    s::kWarningLampDark,     PaintWarningLampDark},
        {"course message",       s::kCourseMessage,       PaintCourseMessage},
        {"overspeed message",    s::kOverspeedMessage,    PaintOverspeedMessage},
        {"overspeed end",        s::kOverspeedEnd,        PaintOverspeedEnd},
        {"arrival message",      s::kArrivalMessage,      PaintArrivalMessage},
    };
    // clang-format on
    jobs.insert(jobs.end(), std::begin(list), std::end(list));
}
