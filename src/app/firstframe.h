// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>

// Start-up timing for bench/startup, asked for by the variable TARVIK_FIRST_FRAME: once the shown
// window's first expose has been handled (Qt paints and flushes a widget window within it),
// prints CLOCK_MONOTONIC in nanoseconds and quits. The editor and the bare window of the
// benchmark both use this code, so both are timed alike.
class FirstFrame : public QObject
{
public:
    static void onRequest(QWidget &shown)
    {
        if (qEnvironmentVariableIsSet("TARVIK_FIRST_FRAME") && shown.windowHandle())
            shown.windowHandle()->installEventFilter(new FirstFrame(&shown));
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Expose || !static_cast<QWindow *>(watched)->isExposed())
            return false;
        watched->removeEventFilter(this);
        // Queued, so it runs after the expose has been painted.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("%lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    using QObject::QObject;
};
