// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "menuops.h"

class QComboBox;
class QFileDialog;
class QLabel;

namespace Ui {
class Tfmain;
}

// The main window over one menu file. A command reads the editor panel (the hidden fields
// section and id say which node or entry it acts on), writes the file at once through a
// short-lived TIniFile and then reloads the whole file into the tree with LoadMenuFile, which
// selects and shows the first node again. Nothing of the menu is kept between commands.
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

    QString aktDatei() const { return m_aktDatei; }
    QString aktPfad() const { return m_aktPfad; }
    QString datenPfad() const { return m_datenPfad; }
    bool verschiebenAktiv() const { return m_verschiebenAktiv; }
    // The second status-bar panel, the window's place for short notes.
    QString statusText() const;
    int treeWidth() const;

private:
    void FormCreate(const QStringList &arguments, const QString &programDir);
    void setUpToolBar();
    void setUpStatusBar();
    void fitPanelToFont();
    void setUpImages();
    void wireCommands();
    std::function<void()> guardedCommand(void (Tfmain::*handler)());
    void prepareEntry(); // Eintraganlegen1Click for the controls, which want no answer
    void takeFreeEntryIndex();

    void fillSublisten(const QString &path);
    void setTreeWidth(int width);
    void splitterReleased();
    void resetPanel();
    bool panelShowsItem() const;
    bool refuseEmptyPanel();
    void showMovePending(bool pending);
    void endMove();
    bool moveSourceStands();
    void deleteShownItem(const QString &menuFile);

    std::unique_ptr<Ui::Tfmain> ui;
    QComboBox *m_sublisten = nullptr;
    QLabel *m_statusFixed = nullptr;
    QLabel *m_statusNote = nullptr;
    QFileDialog *m_dlgo = nullptr;
    std::vector<QIcon> m_imageList1;

    QString m_aktDatei;
    QString m_aktPfad;
    QString m_datenPfad;

    // A pending move: the panel's texts at the first click, and where the entry stood then.
    bool m_verschiebenAktiv = false;
    QString m_merkName;
    QString m_merkPfad;
    QString m_merkParam;
    QString m_merkSection;
    QString m_merkId;
    QString m_merkDatei;
    menuops::EntryKeys m_merkKeys;
};
