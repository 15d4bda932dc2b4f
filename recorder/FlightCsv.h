// The samples of a recorded approach as comma-separated values: a header
// row naming each column with its unit, then one row a sample, oldest first.
#pragma once

#include <string>

#include "recorder/FlightRecorder.h"

namespace recorder {

std::string FormatCsv(const Recording& recording);

}  // namespace recorder
