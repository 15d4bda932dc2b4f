// A cockpit put together from the finished atlas the way the game composes
// it, for looking at the art in place (atlasgen --preview DIR).
#pragma once

#include <string>

#include "Jobs.h"

// Writes DIR/cockpit-<n>.png for a few flight states.
bool WriteCockpitPreviews(const AtlasIndices& atlas, const std::string& dir);
