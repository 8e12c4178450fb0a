// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>

// Placeholder until the main window lands.
class Tfmain : public QMainWindow
{
    Q_OBJECT

public:
    Tfmain(const QStringList &arguments, const QString &programDir, QWidget *parent = nullptr);
};
