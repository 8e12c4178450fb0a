// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

// The application's default error handler: an error that escapes an event handler is shown in
// the error box and the program goes on.
class TarvikApplication : public QApplication
{
    Q_OBJECT

public:
    TarvikApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Loads Qt's German texts so the platform's dialogs speak German.
    void installGermanTranslations();
};
