// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include "gui/state/windowstate.h"
#include "model/menumodel.h"

class QLabel;
class QMainWindow;

namespace Ui {
class Tfmain;
}

// The panel "Bearbeiten" of the main window: shows what the window state's panel holds, with the
// fields a node or an entry offers, and reports every edit of its fields to the state, which
// keeps them.
class EditorPanel : public QObject
{
    Q_OBJECT

public:
    EditorPanel(Ui::Tfmain &ui, QMainWindow *window);

    void render(const PanelState &panel, bool edited);
    menu::Fields fields() const;
    void focusName();
    // The path shows in full as the field's tooltip.
    void pfadChange();

signals:
    void edited(const menu::Fields &fields);

private:
    // Moves the fields over where the labels need more room than the layout gives them, and
    // lets them grow with the window.
    void fitToFont(QMainWindow *window);
    void setFields(const menu::Fields &fields);
    // The fields an item of this kind offers: a node stores only its caption and "ausklappen",
    // so nothing typed elsewhere may be dropped.
    void setLayout(bool entry, bool enabled);
    void reportEdit();
    // Several items: how many, in place of the fields.
    void showCount(const PanelState &panel);

    Ui::Tfmain &ui;
    QLabel *m_count = nullptr;
    bool m_rendering = false;
};
