// SPDX-License-Identifier: MIT
// The main window at twice the scale on a small screen (the offscreen screen of 800 x 600 gives
// 400 x 300): it opens on the screen, and the panel it then has no room for scrolls.
#include <QGroupBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "gui/editor/tfmain.h"
#include "testfiles.h"
#include "windowprobe.h"

class TestWindowScale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowFitsTheScreen()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        QTemporaryDir dir;
        const QString menu = dir.filePath(QStringLiteral("tarvik.ini"));
        QVERIFY(QFile::copy(testfiles::sampleMenu(), menu));
        Tfmain w({menu}, dir.path());
        const QRect available = w.screen()->availableGeometry();
        QVERIFY(available.width() < 958);
        QVERIFY2(available.contains(w.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                  .arg(w.x())
                                                                  .arg(w.y())
                                                                  .arg(w.width())
                                                                  .arg(w.height())));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *area = windowprobe::control<QScrollArea>(w, "Panel1");
        auto *ed = windowprobe::control<QGroupBox>(w, "ed");
        QTRY_VERIFY(area->horizontalScrollBar()->isVisible());
        QCOMPARE(ed->width(), ed->minimumWidth());
        // Scrolled to its end, the panel shows its right edge.
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        QTRY_VERIFY(ed->mapTo(area->viewport(), QPoint(ed->width(), 0)).x() <=
                    area->viewport()->width());
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestWindowScale test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowscale.moc"
