#pragma once
// The shared fakes, under the name the link tests know.
#include "support/Fakes.h"
