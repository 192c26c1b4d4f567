#pragma once
// The shared fakes, under the name the widget tests know.
#include "support/Fakes.h"
