// SPDX-License-Identifier: MIT
#include "conversion.h"
