// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include "model/remotedesktopsettings.h"

class QWidget;

// The nine remote-desktop values in one comparable line,
// host|depth position|user|domain|BG Printer drives Console RDPstandard as 0/1,
// whether they stand in the dialog's controls, in the per-user store or in the plain values.
namespace tscstate {

// Inline, so that the store's own tests use them without widgets.
inline QString of(const RemoteDesktopSettings &s)
{
    QString boxes;
    for (bool flag : {s.background, s.printer, s.drives, s.console, s.systemClient})
        boxes += flag ? QLatin1Char('1') : QLatin1Char('0');
    return QStringList{s.host, QString::number(s.colourDepth), s.user, s.domain, boxes}.join(
        QLatin1Char('|'));
}

inline RemoteDesktopSettings settings(const QString &state)
{
    const QStringList parts = state.split(QLatin1Char('|'));
    RemoteDesktopSettings s;
    s.host = parts[0];
    s.colourDepth = parts[1].toInt();
    s.user = parts[2];
    s.domain = parts[3];
    bool *flags[] = {&s.background, &s.printer, &s.drives, &s.console, &s.systemClient};
    for (int i = 0; i < 5; ++i)
        *flags[i] = parts[4][i] == QLatin1Char('1');
    return s;
}

QString ofDialog(const QWidget &dialog);
void setDialog(QWidget &dialog, const QString &state);
void setDialog(QWidget &dialog, const QString &host, int depth, const QString &user,
               const QString &domain, const QString &boxes);

// "nothing" while the store holds no remote-desktop values yet.
QString stored();
void store(const QString &state);

} // namespace tscstate
