// SPDX-License-Identifier: MIT
// The other process of the reliability tests: a writer that is killed while it writes, an
// editor window driven line by line from standard input, and a program holding a file open.
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include "base/exception.h"
#include "crashstates.h"
#include "gui/editor/tfmain.h"
#include "scriptedrunner.h"
#include "store/tinifile.h"
#include "store/tregistry.h"
#include "testfiles.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

// Said before each write, unbuffered, so that the pipe holds it even when the process is
// killed right after.
void announce(int n)
{
    const QByteArray line = QByteArray::number(n) + '\n';
    if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) != line.size())
        std::exit(3);
}

// With a count, the writer ends by telling how long one write took, start-up not counted.
void reportSpeed(const QElapsedTimer &timer, int count)
{
    std::cerr << "us-per-write " << timer.nsecsElapsed() / 1000 / count << std::endl;
}

int menuWriter(const QString &path, int count)
{
    int n = crashstates::menuStateOf(path).value_or(0);
    QElapsedTimer timer;
    timer.start();
    for (int written = 0; count == 0 || written < count; ++written) {
        announce(++n);
        TIniFile ini(path);
        crashstates::writeMenuState(ini, n);
    }
    reportSpeed(timer, count);
    return 0;
}

int registryWriter(int count)
{
    TRegistry reg;
    if (!reg.OpenKey(crashstates::kRegistryKey, true))
        return 2;
    int n = crashstates::registryStateOf(reg).value_or(0);
    QElapsedTimer timer;
    timer.start();
    for (int written = 0; count == 0 || written < count; ++written) {
        announce(++n);
        crashstates::writeRegistryState(reg, n);
    }
    reportSpeed(timer, count);
    return 0;
}

QStringList treeTexts(const QTreeWidget &tree)
{
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem *node = tree.topLevelItem(i);
        texts << node->text(0);
        for (int j = 0; j < node->childCount(); ++j)
            texts << QStringLiteral("  ") + node->child(j)->text(0);
    }
    return texts;
}

// Commands, one a line, answered by "ok" or "fehler <why>" (lists end with a line "."):
//   click <caption>        select the item and show it in the panel
//   set <field> <text>     type into a field of the panel
//   tick <box> 0|1
//   answer button <text>   queue an answer for the next modal box
//   answer text <text>
//   answer-when <path> <button>  queue an answer that waits until the file path exists
//   trigger <action>       run a command as its button does
//   shown                  texts of every modal box shown so far
//   tree                   the tree's texts, entries indented
int editor(const QString &path)
{
    ScriptedRunner runner;
    Tfmain window(QStringList{path}, QFileInfo(path).absolutePath());
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("Tree"));
    std::string raw;
    while (std::getline(std::cin, raw)) {
        const QString line = QString::fromStdString(raw);
        const QString verb = line.section(QLatin1Char(' '), 0, 0);
        const QString first = line.section(QLatin1Char(' '), 1, 1);
        const QString rest = line.section(QLatin1Char(' '), 2);
        QString error;
        QStringList list;
        bool isList = false;
        if (verb == QLatin1String("click")) {
            const QString caption = line.section(QLatin1Char(' '), 1);
            const auto found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
            if (found.size() != 1) {
                error = QStringLiteral("kein Eintrag ") + caption;
            } else {
                tree->setCurrentItem(found.first());
                window.TreeClick();
            }
        } else if (verb == QLatin1String("set")) {
            if (auto *edit = window.findChild<QLineEdit *>(first))
                edit->setText(rest);
            else
                error = QStringLiteral("kein Feld ") + first;
        } else if (verb == QLatin1String("tick")) {
            if (auto *box = window.findChild<QCheckBox *>(first))
                box->setChecked(rest == QLatin1String("1"));
            else
                error = QStringLiteral("kein Kästchen ") + first;
        } else if (verb == QLatin1String("answer")) {
            runner.then(first == QLatin1String("text") ? ScriptedRunner::enterText(rest)
                                                       : ScriptedRunner::clickButton(rest));
        } else if (verb == QLatin1String("answer-when")) {
            // The question stays open until the file first names exists.
            runner.then([path = first, button = rest](QDialog &dialog) {
                QDeadlineTimer deadline(30000);
                while (!QFileInfo::exists(path) && !deadline.hasExpired())
                    QTest::qWait(20);
                return ScriptedRunner::clickButton(button)(dialog);
            });
        } else if (verb == QLatin1String("trigger")) {
            if (auto *action = window.findChild<QAction *>(first))
                action->trigger();
            else
                error = QStringLiteral("keine Aktion ") + first;
        } else if (verb == QLatin1String("shown")) {
            isList = true;
            list = runner.shownTexts();
        } else if (verb == QLatin1String("tree")) {
            isList = true;
            list = treeTexts(*tree);
        } else {
            error = QStringLiteral("unbekannt: ") + line;
        }
        for (const QString &item : std::as_const(list))
            std::cout << item.toStdString() << '\n';
        if (isList)
            std::cout << ".\n";
        else
            std::cout << (error.isEmpty() ? std::string("ok") : "fehler " + error.toStdString())
                      << '\n';
        std::cout.flush();
    }
    return 0;
}

// Holds the file open as another program would, without letting it be deleted or replaced
// where the system has such a thing (Windows), for ms milliseconds or until killed.
int holder(const QString &path, int ms)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    announce(1);
    QThread::msleep(ulong(ms));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.value(0) == QLatin1String("--as-nobody")) {
        // Permissions mean nothing to the superuser, so those tests run this program as nobody.
        if (!testfiles::dropPrivileges()) {
            std::perror("setuid");
            return 2;
        }
        args.removeFirst();
    }
    const QString mode = args.value(0);
    try {
        if (mode == QLatin1String("menu-writer"))
            return menuWriter(args.value(1), args.value(2).toInt());
        if (mode == QLatin1String("registry-writer"))
            return registryWriter(args.value(1).toInt());
        if (mode == QLatin1String("hold"))
            return holder(args.value(1), args.value(2).toInt());
        if (mode == QLatin1String("editor")) {
            QApplication app(argc, argv);
            return editor(args.value(1));
        }
    } catch (const Exception &error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    std::cerr << "usage: probe [--as-nobody] menu-writer FILE COUNT | registry-writer COUNT | "
                 "editor FILE | hold FILE MS\n";
    return 2;
}
