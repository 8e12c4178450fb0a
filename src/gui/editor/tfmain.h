// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "gui/state/windowstate.h"

class CommandBar;
class EditorPanel;
class FileWatch;
class MenuCommands;
class MenuTree;
class QFileDialog;
class UndoHistory;

namespace Ui {
class Tfmain;
}

// The main window over one menu file. What it shows is the window state: the file, the menu
// read from it, the item in the panel. The window renders the state after every change and
// hands it the user's actions; a command hands the item as shown and the panel's fields to a
// model transaction, which checks the file still holds that item and writes it, and the state
// then reloads the file. Changes of the file by other programs reload it as well.
class Tfmain : public QMainWindow
{
    Q_OBJECT

public:
    // arguments: the command line without the program; programDir: the program's folder.
    Tfmain(const QStringList &arguments, const QString &programDir, QWidget *parent = nullptr);
    ~Tfmain() override;

    // Shows the file at path from its first node.
    void LoadMenuFile(const QString &path);

    // Commands of the window. Run from the controls they are guarded: an error is shown in the
    // error box and the program goes on. Called directly, errors reach the caller.
    void btopenClick();
    void Neuladen1Click();
    void SublistenChange();
    void Splitter1Moved();
    void ToolButton1Click();
    void Beenden1Click();
    void VersionsInfo1Click();
    // Shows the item selected in the tree, after asking about unsaved edits.
    void TreeClick();
    void pfadChange();
    void btProgrammClick();
    void EsaveClick();
    void Knotenanlegen1Click();
    // False when it refused because the panel does not show a node.
    bool Eintraganlegen1Click();
    void btdeleteClick();
    void btmoveClick();
    void ToolButton7Click();
    void ToolButton4Click();
    void btTSCClick();
    void Menuepruefen1Click();

    QString aktDatei() const { return m_state.file(); }
    QString aktPfad() const { return m_state.folder(); }
    QString datenPfad() const { return m_datenPfad; }
    bool verschiebenAktiv() const { return m_state.move().has_value(); }
    // The second status-bar panel, the window's place for short notes.
    QString statusText() const;
    int treeWidth() const;

private:
    void closeEvent(QCloseEvent *event) override;
    void FormCreate(const QStringList &arguments, const QString &programDir);
    void render();
    void chooseItems(const QList<ItemPlace> &places);
    void wireCommands();
    // As the application's error handler would: an error is shown and the program goes on.
    // The controls show the state afterwards.
    std::function<void()> guardedCommand(void (Tfmain::*handler)());
    void setTreeWidth(int width);
    void splitterReleased();
    // Another program changed the file: shown at once, or, under an open question or dialog,
    // once the last has closed, so that the command that asked goes on with what it asked about.
    void fileChangedOutside();
    void escapePressed();
    std::optional<QString> chooseFile(const QStringList &filters, const QString &suffix);

    std::unique_ptr<Ui::Tfmain> ui;
    WindowState m_state;
    std::unique_ptr<MenuCommands> m_commands;
    UndoHistory *m_history = nullptr;
    CommandBar *m_bar = nullptr;
    EditorPanel *m_panel = nullptr;
    MenuTree *m_tree = nullptr;
    FileWatch *m_watch = nullptr;
    QFileDialog *m_dlgo = nullptr;
    QString m_datenPfad;
    quint64 m_renderedLoads = 0;
    bool m_reloadHeld = false;
};
