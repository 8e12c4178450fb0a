// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class TIniFile;
class TRegistry;

// The known states the crash test's writer steps through. The writer makes state n with the
// real stores; the test computes the bytes each state must have on disk, so that a file left by
// a killed writer can be compared with exactly the state before and after its last write.
namespace crashstates {

// Menu file: about 1 MB, nodes "A" to "Z" with 200 entries each.
QByteArray initialMenu();

struct Change
{
    QString section;
    QString key;
    std::optional<QString> value; // nullopt: the key is deleted
};

// What state n changes: a counter, captions whose length varies with n, and a key that exists
// only in odd states. Every state touches the same keys, so state n does not depend on the
// states before it.
std::vector<Change> menuChanges(int n);

// Writes state n through ini in one update, as a command writes its keys.
void writeMenuState(TIniFile &ini, int n);

// The bytes of state n, from the bytes of any earlier state.
QByteArray menuBytes(const QByteArray &earlier, int n);

// The state number a menu file holds, or nullopt when it holds none.
std::optional<int> menuStateOf(const QString &path);

// Per-user store: the key the editor uses, filled with many values, and "Zustand" holding n.
inline const QString kRegistryKey = QStringLiteral("\\Software\\Orvane\\tarvik");
QByteArray registryBytes(int n);
void writeRegistryState(TRegistry &reg, int n);
std::optional<int> registryStateOf(TRegistry &reg);

} // namespace crashstates
