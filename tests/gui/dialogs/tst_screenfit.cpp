// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

#include "gui/dialogs/menucheckdialog.h"
#include "gui/dialogs/screenfit.h"
#include "gui/dialogs/tfallgemein.h"
#include "gui/dialogs/tfmstsc.h"
#include "testfiles.h"
#include "windowprobe.h"

namespace {

// A screen of 1280 x 1024, and beside it the same at scale factor 2.
const QByteArray kScreens = R"({"screens": [
    {"name": "normal", "x": 0, "y": 0, "width": 1280, "height": 1024},
    {"name": "scaled", "x": 1280, "y": 0, "width": 640, "height": 512}]})";

std::unique_ptr<QDialog> makeDialog(const QString &name, QWidget *owner)
{
    const QString menu = testfiles::dataDir() + QStringLiteral("/menu-hidden.ini");
    if (name == QLatin1String("TFallgemein"))
        return std::make_unique<TFallgemein>(menu, owner);
    if (name == QLatin1String("Tfmstsc"))
        return std::make_unique<Tfmstsc>(owner);
    auto check = std::make_unique<MenuCheckDialog>(owner);
    check->setFile(menu);
    return check;
}

} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitFrame_data();
    void fitFrame();
    void fitDialogSize_data();
    void fitDialogSize();
    void dialogOpensFitted_data();
    void dialogOpensFitted();
};

void TestScreenFit::fitFrame_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<QRect>("fitted");
    const QRect scaled(0, 0, 640, 512);
    QTest::newRow("not placed yet")
        << QRect(0, 0, 400, 300) << QSize() << scaled << false << QRect(120, 106, 400, 300);
    QTest::newRow("larger") << QRect(0, 0, 958, 600) << QSize() << scaled << true << scaled;
    QTest::newRow("beside a panel on a second screen")
        << QRect(100, 0, 300, 200) << QSize() << QRect(1280, 30, 640, 482) << true
        << QRect(1280, 30, 300, 200);
    QTest::newRow("minimum larger than the screen")
        << QRect(100, 100, 958, 600) << QSize(700, 520) << scaled << true << QRect(0, 0, 700, 520);
}

void TestScreenFit::fitFrame()
{
    QFETCH(QRect, frame);
    QFETCH(QSize, minimum);
    QFETCH(QRect, available);
    QFETCH(bool, placed);
    QFETCH(QRect, fitted);
    QCOMPARE(screenfit::fitFrame(frame, minimum.expandedTo({0, 0}), available, placed), fitted);
}

void TestScreenFit::fitDialogSize_data()
{
    // Dialogs of fixed size too big for 640 x 512 (less the assumed frame); scroll bars 16 wide.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("fitted");
    QTest::newRow("too tall") << QSize(467, 625) << QSize(483, 472);
    QTest::newRow("too wide") << QSize(900, 300) << QSize(630, 316);
    QTest::newRow("too tall, then too wide for the bar") << QSize(620, 625) << QSize(630, 472);
}

void TestScreenFit::fitDialogSize()
{
    QFETCH(QSize, size);
    QFETCH(QSize, fitted);
    const QSize room = QSize(640, 512).shrunkBy(screenfit::kAssumedFrame);
    const screenfit::DialogFit fit = screenfit::fitDialogSize(size, size, room, 16);
    QVERIFY(fit.scrolls);
    QCOMPARE(fit.size, fitted);
}

// Each dialog opens within its screen, with the focus in its first control; the control in focus
// and the buttons are in view.
void TestScreenFit::dialogOpensFitted_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("screen");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("scrolls");
    QTest::addColumn<bool>("sizeKept");
    QTest::newRow("settings") << "TFallgemein" << 0 << "edTitel"
                              << "UpdateBeides" << false << true;
    QTest::newRow("settings scaled") << "TFallgemein" << 1 << "edTitel"
                                     << "UpdateBeides" << true << false;
    QTest::newRow("remote desktop") << "Tfmstsc" << 0 << "Host"
                                    << "RDPstandard" << false << true;
    QTest::newRow("remote desktop scaled") << "Tfmstsc" << 1 << "Host"
                                           << "RDPstandard" << false << true;
    QTest::newRow("menu check") << "MenuCheckDialog" << 0 << "findings"
                                << "repair" << false << true;
    QTest::newRow("menu check scaled") << "MenuCheckDialog" << 1 << "findings"
                                       << "repair" << false << false;
}

void TestScreenFit::dialogOpensFitted()
{
    QFETCH(QString, dialog);
    QFETCH(int, screen);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(bool, scrolls);
    QFETCH(bool, sizeKept);
    QScreen *on = QGuiApplication::screens().at(screen);
    QWidget owner;
    owner.setScreen(on);
    owner.setGeometry(QRect(on->geometry().topLeft() + QPoint(20, 40), QSize(300, 200)));
    owner.show();
    const std::unique_ptr<QDialog> shown = makeDialog(dialog, &owner);
    const QStringList tabOrder = windowprobe::tabOrder(*shown, qPrintable(first), 30);
    const QSize size = shown->testAttribute(Qt::WA_Resized) ? shown->size() : shown->sizeHint();

    shown->show();
    QVERIFY(QTest::qWaitForWindowActive(shown.get()));
    QCOMPARE(QApplication::focusWidget()->objectName(), first);
    QVERIFY(on->availableGeometry().contains(shown->frameGeometry()));
    QCOMPARE(bool(shown->findChild<QScrollArea *>()), scrolls);
    QCOMPARE(shown->size() == size, sizeKept);
    QCOMPARE(windowprobe::tabOrder(*shown, qPrintable(first), 30), tabOrder);
    auto *focused = windowprobe::control<QWidget>(*shown, qPrintable(last));
    focused->setFocus(Qt::OtherFocusReason);
    QCOMPARE(focused->visibleRegion().boundingRect(), focused->rect());
    for (const QPushButton *button : shown->findChildren<QPushButton *>())
        QCOMPARE(button->visibleRegion().boundingRect(), button->rect());
}

int main(int argc, char **argv)
{
    // In the working folder: the platform's options cannot hold a drive letter's colon.
    QTemporaryFile screens(QStringLiteral("screens-XXXXXX.json"));
    if (!screens.open() || screens.write(kScreens) != kScreens.size() || !screens.flush())
        qFatal("cannot write the screens' description");
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" +
                QDir::current().relativeFilePath(screens.fileName()).toLocal8Bit());
    QApplication app(argc, argv);
    TestScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenfit.moc"
