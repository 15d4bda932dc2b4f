// The words the web page shows that the desktop shows too.
#pragma once

#include <array>

// The About box, line by line, as the desktop's About box has them.
inline constexpr std::array<const char*, 3> kAboutLines = {
    "Avelune Version 1.07AC",
    "Instrument Landing Simulator Game",
    "Free software under the MIT licence",
};

// Before an atlas's problem, as the desktop's message box says it.
inline constexpr const char* kCannotStart = "Avelune cannot start: ";

// Before an atlas's problem when a game runs already and goes on with its own.
inline constexpr const char* kKeepsAtlas = "Avelune goes on with the atlas it has. The one chosen cannot serve: ";
