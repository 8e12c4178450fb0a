// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "menumodel.h"
#include "tdaten.h"

class QComboBox;
class QFileDialog;
class QFileSystemWatcher;
class QLabel;
class QTimer;
class QTreeWidgetItem;
class UndoHistory;

namespace Ui {
class Tfmain;
}

// The main window over one menu file. The tree shows the menu model as read from the file; the
// panel shows one item of it. A command hands the item as shown and the panel's fields to a model
// transaction, which checks the file still holds that item, writes it, and the window reloads the
// file. Changes of the file by other programs reload it as well.
class Tfmain : public QMainWindow
{
    Q_OBJECT

public:
    // arguments: the command line without the program; programDir: the program's folder.
    Tfmain(const QStringList &arguments, const QString &programDir, QWidget *parent = nullptr);
    ~Tfmain() override;

    // Rebuilds sub-list box, tree width, caption and tree from the file and shows the first node.
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

    QString aktDatei() const { return m_aktDatei; }
    QString aktPfad() const { return m_aktPfad; }
    QString datenPfad() const { return m_datenPfad; }
    bool verschiebenAktiv() const { return m_move.has_value(); }
    // The second status-bar panel, the window's place for short notes.
    QString statusText() const;
    int treeWidth() const;

private:
    // Positions in m_imageList1.
    enum Image { Open, Create, Delete, Save, Settings, Move, MovePending, Export, Duplicate };
    // What the panel shows must be there before a command may act on it.
    enum class Need { Item, Node, Entry, EntryToDuplicate, EntryToMove };
    // The node or entry to select after a reload; an empty letter selects the first node.
    struct Selection
    {
        QString letter;
        int index = menu::kNodeIndex;
        bool reveal = false; // shown even where an open find hides it: the item just written
    };
    struct PendingMove
    {
        menu::ItemRef source;
        menu::Fields fields;
    };

    void closeEvent(QCloseEvent *event) override;
    // Edits in the panel not yet saved: asks whether to save them. False when the user cancels
    // (or the save failed), so the panel must stay as it is.
    bool maySwitchItem();
    // The save command; false when nothing was saved.
    bool save();
    void currentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void markEdited();

    // The find above the tree (tfmainload.cpp): the tree shows only the entries it finds.
    void openFind();
    void filterTree();
    // Return in the find: on to the tree, at the first entry found unless the current one is.
    void leaveFind();
    void closeFind();

    // Building the window (tfmainsetup.cpp).
    void setUpImages();
    void setUpToolBar();
    void setUpStatusBar();
    void fitPanelToFont();
    void wireCommands();
    std::function<void()> guardedCommand(void (Tfmain::*handler)());

    void FormCreate(const QStringList &arguments, const QString &programDir);
    void load(const QString &path, const Selection &select);
    void fillTree();
    bool selectItem(const Selection &select);
    void showDaten(const Tdaten &daten);
    void resetPanel();
    void fillSublisten(const QString &path);
    void setTreeWidth(int width);
    void splitterReleased();
    void watch();
    void fileChangedOutside();

    bool refuse(Need need);
    std::optional<menu::ItemRef> shownItem() const;
    std::optional<menu::ItemRef> refOf(const Tdaten &daten) const;
    // The shown item, or EChangedOutside when the model no longer holds it.
    menu::ItemRef shownOrGone() const;
    menu::Fields panelFields() const;
    void setPanelFields(const menu::Fields &fields);
    void setEntryLayout(bool entry);
    bool panelEdited() const;
    // Runs a model command and reloads; when the file no longer holds the item as shown, says so
    // and reloads without writing.
    // name: the step in the undo history, e.g. "Löschen von »Mail«".
    // showWritten: select the item the command wrote afterwards.
    bool apply(const QString &name, const std::function<menu::Result()> &command,
               bool showWritten = true);
    // Reloads the file a step concerned and shows its item.
    void showResult(const menu::Result &result);
    // Opens the file the user chose (at start, through Öffnen or the sub-list box).
    void openMenuFile(const QString &path);
    void showCheckResult();
    void prepareEntry();
    void showMovePending(bool pending);
    std::optional<QString> chooseFile(const QStringList &filters, const QString &suffix);

    std::unique_ptr<Ui::Tfmain> ui;
    QComboBox *m_sublisten = nullptr;
    QLabel *m_statusFixed = nullptr;
    QLabel *m_statusNote = nullptr;
    QLabel *m_statusCheck = nullptr; // how many findings the menu check has for the file
    QFileDialog *m_dlgo = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_watchDelay = nullptr;
    QTimer *m_checkDelay = nullptr;
    UndoHistory *m_history = nullptr;
    std::vector<QIcon> m_imageList1;

    QString m_aktDatei;
    QString m_aktPfad;
    QString m_datenPfad;

    menu::Menu m_menu;
    QByteArray m_loadedVersion;    // what the file was when loaded, to notice outside changes
    QByteArray m_checkedVersion;   // what the file was when the status bar's count was made
    bool m_openedAsNew = false;    // the file did not exist when opened: its first node creates it
    std::optional<Tdaten> m_shown; // the record the panel was filled from
    std::optional<menu::ItemRef> m_shownRef; // and its item as the file held it then
    bool m_entryPrepared = false;            // the panel holds a new entry of the shown node
    std::optional<PendingMove> m_move;
    // To tell a toggle of the move button by assistive technology from a click.
    quint64 m_moveTriggers = 0;
    bool m_showingMove = false;
};
