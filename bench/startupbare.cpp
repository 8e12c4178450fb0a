// SPDX-License-Identifier: MIT
// The yardstick of bench/startup: the least a Qt program with a main window and a tree does
// before its first frame, shown and timed as the editor's window is.
#include <QApplication>
#include <QMainWindow>
#include <QTreeWidget>

#include "firstframe.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto *tree = new QTreeWidget(&window);
    tree->setHeaderHidden(true);
    for (const char *caption : {"Büro", "Kasse", "Lager"}) {
        auto *node = new QTreeWidgetItem(tree, {QString::fromUtf8(caption)});
        for (int i = 1; i <= 3; ++i)
            new QTreeWidgetItem(node, {QStringLiteral("Eintrag %1").arg(i)});
        node->setExpanded(true);
    }
    window.setCentralWidget(tree);
    window.showMaximized();
    FirstFrame::onRequest(window);
    return app.exec();
}
