// SPDX-License-Identifier: MIT
#pragma once

#include "model/transaction.h"

// Undo and redo of a command from the file changes it returned. Each takes every file of the
// step from one side to the other as one all-or-nothing write:
// - a file that still holds the side the step left (or started from) gets the other side's bytes
//   exactly: it is created, replaced or removed as it was;
// - a file another program (or the width write) changed since gets every key the step changed
//   set back (or forward), provided each still holds the value the step left; every other line
//   stays, and keys the step had removed come back at the end of their section.
// A key changed again by someone else, a file the step created that was changed since, or a file
// that is gone raise transaction::EChangedOutside with a German message naming the item; nothing
// is written then. Files are written in the order that never loses data: an undo in the reverse
// order of the step (the menu gets a node back before its sub-list goes), a redo in the step's.
// Returns what was written; empty when every file already held the side asked for.
namespace undo {

transaction::Changes revert(const transaction::Changes &step);  // from after back to before
transaction::Changes reapply(const transaction::Changes &step); // from before to after again

} // namespace undo
