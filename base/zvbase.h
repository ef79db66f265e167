// Umbrella header of the base library: includes its whole public interface.
#pragma once

#include "base/system/Locale.h"
