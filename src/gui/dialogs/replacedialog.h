// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "gui/dialogs/screenfit.h"
#include "operations/menureplace.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Ersetzen": find and replace across the menu file and, if asked, its sub-lists. "Suchen" lists
// every change with a check box, ticked; a change the file cannot hold shows its reason and
// cannot be ticked. "Ersetzen" hands the ticked ones to the window, which writes them as one
// step; the dialog closes when every file was written, and otherwise names the files left alone
// and lists again what is still to replace.
class ReplaceDialog : public screenfit::FittedDialog
{
    Q_OBJECT

public:
    // Writes the chosen changes of the plan (never none) and returns what it did.
    using Apply = std::function<menureplace::Outcome(const menureplace::Plan &plan,
                                                     const std::vector<size_t> &chosen)>;

    ReplaceDialog(const QString &menuFile, Apply apply, QWidget *parent = nullptr);

    // Lists the changes the fields ask for (done by "Suchen").
    void search();
    // Writes the ticked changes (done by "Ersetzen").
    void replace();

    const menureplace::Plan &plan() const { return m_plan; }
    // The indices of the ticked changes, in the plan's order.
    std::vector<size_t> chosen() const;

private:
    menureplace::Options options() const;
    void showPlan();
    // The fields changed: the list no longer answers them.
    void dropPlan();
    void updateButtons();

    QString m_menuFile;
    Apply m_apply;
    menureplace::Plan m_plan;
    QLineEdit *m_find;
    QLineEdit *m_replacement;
    QCheckBox *m_captions;
    QCheckBox *m_programs;
    QCheckBox *m_params;
    QCheckBox *m_matchCase;
    QCheckBox *m_wholeWords;
    QCheckBox *m_subLists;
    QPushButton *m_search;
    QPushButton *m_replace;
    QLabel *m_summary;
    QTreeWidget *m_list;
};
