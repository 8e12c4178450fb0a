// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// The nine remote-desktop values in one comparable line,
// host|depth position|user|domain|BG Printer drives Console RDPstandard as 0/1,
// whether they stand in the dialog's controls or in the per-user store.
namespace tscstate {

QString ofDialog(const QWidget &dialog);
void setDialog(QWidget &dialog, const QString &state);
void setDialog(QWidget &dialog, const QString &host, int depth, const QString &user,
               const QString &domain, const QString &boxes);

// "nothing" while the store holds no remote-desktop values yet.
QString stored();
void store(const QString &state);

} // namespace tscstate
