// The writer moved to the ground floor (files/), where every floor reaches it.
#pragma once

#include "files/ReplaceFile.h"
