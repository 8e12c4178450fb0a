// SPDX-License-Identifier: MIT
#include "tfmain.h"

#include "messages.h"

Tfmain::Tfmain(const QStringList &, const QString &, QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(messages::kApplicationTitle);
}
