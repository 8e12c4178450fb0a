// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "gui/dialogs/screenfit.h"
#include "operations/menucheck.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// "Menü prüfen": the findings of the menu check of one file. Choosing a finding shows the stored
// lines of its item read-only and, when the launcher shows the item, asks the window to show it.
// "Reparieren" asks first, then leaves the repair to the window, which makes it one undo step.
class MenuCheckDialog : public screenfit::FittedDialog
{
    Q_OBJECT

public:
    explicit MenuCheckDialog(QWidget *parent = nullptr);

    // Checks the file as it now stands and lists the findings. A file that cannot be read is
    // named in the list's place.
    void setFile(const QString &path);

    const QString &file() const { return m_file; }
    // The file's bytes the findings were found in.
    const QByteArray &checkedBytes() const { return m_bytes; }
    const std::vector<menucheck::Finding> &findings() const { return m_findings; }

    // Chooses the finding at row (also done by clicking it).
    void choose(int row);
    // Asks whether to repair; emits repairRequested() on "Ja".
    void repairClicked();

    // The status bar's note after loading a file with findings; empty when there are none.
    static QString statusText(size_t findings);

signals:
    // index: the entry, or menu::kNodeIndex for the node.
    void showItem(const QString &file, const QString &letter, int index);
    void repairRequested();

private:
    QTreeWidget *m_list;
    QPlainTextEdit *m_stored;
    QLabel *m_summary;
    QPushButton *m_repair;
    QString m_file;
    QByteArray m_bytes; // what the findings were found in
    std::vector<menucheck::Finding> m_findings;
};
