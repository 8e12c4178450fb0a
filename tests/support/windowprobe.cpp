// SPDX-License-Identifier: MIT
#include "windowprobe.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace windowprobe {

void showWindow(QWidget &window)
{
    window.resize(958, 467);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("window not exposed");
}

QString field(const QWidget &window, const char *name)
{
    return control<QLineEdit>(window, name)->text();
}

void setField(QWidget &window, const char *name, const QString &text)
{
    control<QLineEdit>(window, name)->setText(text);
}

QCheckBox *box(const QWidget &window, const char *name)
{
    return control<QCheckBox>(window, name);
}

bool shown(const QWidget *widget)
{
    return widget->isVisibleTo(widget->parentWidget());
}

void trigger(QWidget &window, const QString &action)
{
    QAction *a = window.findChild<QAction *>(action);
    QVERIFY2(a, qPrintable(action));
    a->trigger();
}

QTreeWidget *tree(const QWidget &window)
{
    return control<QTreeWidget>(window, "Tree");
}

QStringList treeTexts(const QWidget &window)
{
    QStringList texts;
    const QTreeWidget *t = tree(window);
    for (int i = 0; i < t->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *node = t->topLevelItem(i);
        if (node->isHidden())
            continue;
        texts << node->text(0);
        for (int j = 0; j < node->childCount(); ++j) {
            if (!node->child(j)->isHidden())
                texts << QStringLiteral("  ") + node->child(j)->text(0);
        }
    }
    return texts;
}

QTreeWidgetItem *item(const QWidget &window, const QString &caption)
{
    const QList<QTreeWidgetItem *> found =
        tree(window)->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

void clickItem(QWidget &window, const QString &caption, Qt::KeyboardModifiers modifiers)
{
    QTreeWidget *t = tree(window);
    QTreeWidgetItem *found = item(window, caption);
    QVERIFY2(found, qPrintable(caption));
    t->scrollToItem(found);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, modifiers, t->visualItemRect(found).center());
}

QString panel(const QWidget &window)
{
    QString text = QStringList{field(window, "section"), field(window, "id"), field(window, "Name"),
                               field(window, "pfad"), field(window, "param")}
                       .join(QLatin1Char('|'));
    for (const char *name : {"klappCheck", "encrypt", "NichtSchliessen"}) {
        const QCheckBox *b = box(window, name);
        if (shown(b))
            text += QLatin1Char(' ') + QLatin1String(name) + (b->isChecked() ? "+" : "-");
    }
    return text;
}

QStringList tabOrder(const QWidget &dialog, const char *first, int count,
                     const QStringList &passedOver)
{
    QStringList order;
    QWidget *w = control<QWidget>(dialog, first);
    for (int i = 0; i < count; ++i) {
        order << w->objectName();
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&dialog) ||
               passedOver.contains(w->objectName()));
    }
    return order;
}

} // namespace windowprobe
