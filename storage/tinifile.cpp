// SPDX-License-Identifier: MIT
#include "tinifile.h"
