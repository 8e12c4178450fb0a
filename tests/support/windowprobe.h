// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QCheckBox;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Reads and drives a window or dialog through its named controls, as the user sees them.
namespace windowprobe {

// A missing control ends the run: every later step would fail with a less clear message.
template <typename T> T *control(const QObject &parent, const char *name)
{
    auto *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Shows the main window at the size its form is laid out for, and waits until it is exposed.
void showWindow(QWidget &window);

QString field(const QWidget &window, const char *name);
void setField(QWidget &window, const char *name, const QString &text);
QCheckBox *box(const QWidget &window, const char *name);
// Visible as far as its parent decides; the window itself may be hidden.
bool shown(const QWidget *widget);
void trigger(QWidget &window, const QString &action);

QTreeWidget *tree(const QWidget &window);
// Nodes as they stand, entries indented by two blanks, in the tree's order; what the find hides
// is left out.
QStringList treeTexts(const QWidget &window);
// The one item with this caption, or none when it is missing or not unique.
QTreeWidgetItem *item(const QWidget &window, const QString &caption);
// A mouse click on the item, so that the window sees the same signals as from a user; with
// Qt::ControlModifier or Qt::ShiftModifier it adds to the selection.
void clickItem(QWidget &window, const QString &caption, Qt::KeyboardModifiers modifiers = {});

// The panel as one line: section|id|Name|pfad|param and the visible boxes' states.
QString panel(const QWidget &window);

// Object names met by pressing Tab count - 1 times from the first control, passing over what
// takes no focus, is hidden or is named in passedOver.
QStringList tabOrder(const QWidget &dialog, const char *first, int count,
                     const QStringList &passedOver = {});

} // namespace windowprobe
