// SPDX-License-Identifier: MIT
#include "menuops.h"
