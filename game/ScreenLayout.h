// Where the pictures of the title, the information pages and the result
// screens stand on the surface: one table read by the game that draws them
// and by the tests that look for them.
#pragma once

#include "gfx/AtlasCatalogue.h"

// clang-format off
// The title picture, its animation's strip, the information page and the
// second page.
constexpr Placed kTitle           {  0,   0, sprite::kTitlePicture};
constexpr Placed kTitlePanel      {175, 107, sprite::kTitlePanel};
constexpr Placed kTitleBackground {  0,   0, sprite::kTitleBackground};
constexpr Placed kTitleStrip      { 60, 299, sprite::kTitleStrip};
constexpr Placed kPage            {  0,   0, sprite::kInformationPage};
constexpr Placed kPageBar         {174, 371, sprite::kInformationBar};
constexpr Placed kSecondPanel     {175, 107, sprite::kSecondPagePanel};
constexpr Placed kSecondQuit      {378, 375, sprite::kSecondPageQuit};
constexpr Placed kSecondBar       {174, 371, sprite::kSecondPageBar};

// The warning, failure and arrival screens: two message panels over the
// cockpit, a headline, the lamp and the message.
constexpr Placed kPanelRow1       { 10,  36, sprite::kMessagePanel};
constexpr Placed kPanelRow1End    {540,  36, sprite::kMessagePanelEnd};
constexpr Placed kPanelRow2       { 10, 100, sprite::kMessagePanel};
constexpr Placed kPanelRow2End    {540, 100, sprite::kMessagePanelEnd};
constexpr Placed kWarningTitle    { 33,  54, sprite::kWarningHeadline};
constexpr Placed kFailureTitle    { 33,  55, sprite::kFailureHeadline};
constexpr Placed kArrivalTitle    { 58,  58, sprite::kArrivalHeadline};
constexpr Placed kLampLit         { 29, 117, sprite::kWarningLampLit};
constexpr Placed kLampDark        { 29, 117, sprite::kWarningLampDark};
constexpr Placed kCourseText      { 85, 122, sprite::kCourseMessage};
constexpr Placed kOverspeedText   {150, 122, sprite::kOverspeedMessage};
constexpr Placed kOverspeedLeft   { 85, 122, sprite::kOverspeedEnd};
constexpr Placed kOverspeedRight  {530, 122, sprite::kOverspeedEnd};
constexpr Placed kArrivalText     {148, 123, sprite::kArrivalMessage};
// clang-format on
