// SPDX-License-Identifier: MIT
#include "crashstates.h"

#include "base/cp1252.h"
#include "platform/registryfile.h"
#include "store/profilefile.h"
#include "store/tinifile.h"
#include "store/tregistry.h"

namespace crashstates {

namespace {

const QString kCounterSection = QStringLiteral("Config");
const QString kCounterKey = QStringLiteral("Zustand");
const QString kRegistryValue = QStringLiteral("Zustand");
constexpr int kRegistryFill = 400;

QByteArray bytes(const QString &text)
{
    return cp1252::fromUnicode(text).value();
}

// "n" followed by a tail whose length changes with n, so that consecutive states differ in size.
QString counterText(int n)
{
    return QString::number(n) + QLatin1Char(' ') + QString(n % 11, QChar(u'ä'));
}

std::optional<int> counterOf(const QString &text)
{
    bool ok = false;
    const int n = text.section(QLatin1Char(' '), 0, 0).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

registryfile::Contents registryContents(int n)
{
    registryfile::Contents contents;
    registryfile::Key &key = contents.findOrAddKey(registryfile::kCurrentUser + kRegistryKey);
    for (int i = 0; i < kRegistryFill; ++i) {
        const QByteArray text = "Einstellung " + QByteArray::number(i) + " f\xfcr den Client";
        key.values.append(
            registryfile::Value{QStringLiteral("Wert%1").arg(i, 4, 10, QLatin1Char('0')),
                                registryfile::RegSz, text + '\0'});
    }
    key.values.append(
        registryfile::Value{kRegistryValue, registryfile::RegSz, bytes(counterText(n)) + '\0'});
    return contents;
}

} // namespace

QByteArray initialMenu()
{
    QByteArray out = "[Config]\r\nTitle=Absturztest\r\nwidth=180\r\n\r\n";
    for (char node = 'A'; node <= 'Z'; ++node) {
        out += QByteArray("[") + node + "]\r\nRoot=Knoten " + node + "\r\nexpand=1\r\n";
        for (int n = 0; n < 200; ++n) {
            const QByteArray i = QByteArray::number(n);
            out += i + "b=Anwendung " + i + " f\xfcr " + node + "\r\n";
            out += i + "d=C:\\Programme\\Werkzeug " + i + "\\start.exe\r\n";
            out += i +
                   "p=/datei:\"D:\\Daten\\Gr\xf6\xdf"
                   "e " +
                   i + ".txt\" /still\r\n";
            out += i + "v=0\r\n" + i + "dc=" + (n % 3 ? "0" : "1") + "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::vector<Change> menuChanges(int n)
{
    std::vector<Change> changes{{kCounterSection, kCounterKey, counterText(n)}};
    for (const char *section : {"A", "M", "Z"}) {
        changes.push_back({QLatin1String(section), QStringLiteral("7b"),
                           QStringLiteral("Zustand %1 %2").arg(n).arg(QString(n % 13, u'ü'))});
    }
    changes.push_back({QStringLiteral("B"), QStringLiteral("Extra"),
                       n % 2 ? std::optional<QString>(QStringLiteral("ungerade")) : std::nullopt});
    return changes;
}

void writeMenuState(TIniFile &ini, int n)
{
    ini.BeginUpdate();
    for (const Change &change : menuChanges(n)) {
        if (change.value)
            ini.WriteString(change.section, change.key, *change.value);
        else
            ini.DeleteKey(change.section, change.key);
    }
    ini.EndUpdate();
}

QByteArray menuBytes(const QByteArray &earlier, int n)
{
    profilefile::Document document(earlier);
    for (const Change &change : menuChanges(n)) {
        if (change.value)
            document.setValue(bytes(change.section), bytes(change.key), bytes(*change.value));
        else
            document.removeKey(bytes(change.section), bytes(change.key));
    }
    return document.toBytes();
}

std::optional<int> menuStateOf(const QString &path)
{
    TIniFile ini(path);
    return counterOf(ini.ReadString(kCounterSection, kCounterKey, QString()));
}

QByteArray registryBytes(int n)
{
    return registryfile::serialize(registryContents(n));
}

void writeRegistryState(TRegistry &reg, int n)
{
    reg.WriteString(kRegistryValue, counterText(n));
}

std::optional<int> registryStateOf(TRegistry &reg)
{
    return counterOf(reg.ReadString(kRegistryValue));
}

} // namespace crashstates
