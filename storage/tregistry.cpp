// SPDX-License-Identifier: MIT
#include "tregistry.h"
