// SPDX-License-Identifier: MIT
#include "tscstate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "store/tregistry.h"
#include "testfiles.h"
#include "windowprobe.h"

using windowprobe::control;

namespace tscstate {

namespace {

// The same five flags under the names of the dialog's boxes and of the stored values.
const char *const kBoxes[] = {"BG", "Printer", "drives", "Console", "RDPstandard"};
const char *const kStoredBoxes[] = {"Bild", "Drucker", "Laufwerke", "Console", "RDPstandard"};

} // namespace

QString ofDialog(const QWidget &dialog)
{
    QString boxes;
    for (const char *name : kBoxes)
        boxes +=
            control<QCheckBox>(dialog, name)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    return QStringList{control<QLineEdit>(dialog, "Host")->text(),
                       QString::number(control<QComboBox>(dialog, "Farbtiefe")->currentIndex()),
                       control<QLineEdit>(dialog, "Username")->text(),
                       control<QLineEdit>(dialog, "Domain")->text(), boxes}
        .join(QLatin1Char('|'));
}

void setDialog(QWidget &dialog, const QString &state)
{
    const QStringList parts = state.split(QLatin1Char('|'));
    setDialog(dialog, parts[0], parts[1].toInt(), parts[2], parts[3], parts[4]);
}

void setDialog(QWidget &dialog, const QString &host, int depth, const QString &user,
               const QString &domain, const QString &boxes)
{
    control<QLineEdit>(dialog, "Host")->setText(host);
    control<QComboBox>(dialog, "Farbtiefe")->setCurrentIndex(depth);
    control<QLineEdit>(dialog, "Username")->setText(user);
    control<QLineEdit>(dialog, "Domain")->setText(domain);
    for (int i = 0; i < 5; ++i)
        control<QCheckBox>(dialog, kBoxes[i])->setChecked(boxes[i] == QLatin1Char('1'));
}

QString stored()
{
    TRegistry reg;
    if (!reg.OpenKey(testfiles::kTarvikKey, false) ||
        !reg.ValueExists(QStringLiteral("RDPstandard")))
        return QStringLiteral("nothing");
    QString boxes;
    for (const char *name : kStoredBoxes)
        boxes += reg.ReadBool(QLatin1String(name)) ? QLatin1Char('1') : QLatin1Char('0');
    return QStringList{reg.ReadString(QStringLiteral("Host")),
                       QString::number(reg.ReadInteger(QStringLiteral("Farbtiefe"))),
                       reg.ReadString(QStringLiteral("Benutzer")),
                       reg.ReadString(QStringLiteral("Domaene")), boxes}
        .join(QLatin1Char('|'));
}

void store(const QString &state)
{
    const QStringList parts = state.split(QLatin1Char('|'));
    TRegistry reg;
    QVERIFY(reg.OpenKey(testfiles::kTarvikKey, true));
    reg.WriteString(QStringLiteral("Host"), parts[0]);
    reg.WriteInteger(QStringLiteral("Farbtiefe"), parts[1].toInt());
    reg.WriteString(QStringLiteral("Benutzer"), parts[2]);
    reg.WriteString(QStringLiteral("Domaene"), parts[3]);
    for (int i = 0; i < 5; ++i)
        reg.WriteBool(QLatin1String(kStoredBoxes[i]), parts[4][i] == QLatin1Char('1'));
}

} // namespace tscstate
