// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QTimer;

namespace Ui {
class Tfmain;
}

// The commands' controls of the main window: menus and tool bar with their images and
// shortcuts, the sub-list box, and the status bar. They show what the window state says (the
// note, a pending move); the window connects them to its handlers.
class CommandBar : public QObject
{
    Q_OBJECT

public:
    CommandBar(Ui::Tfmain &ui, QMainWindow *window, QAction *undo, QAction *redo);

    QComboBox *sublisten() const { return m_sublisten; }
    // Lists the names with none picked, so the box shows an empty field.
    void setSublisten(const QStringList &names);
    // The second status-bar panel, the window's place for short notes.
    void showNote(const QString &text);
    QString note() const;
    // How many findings the menu check has for the file, counted after the tree shows; once for
    // all the loads of one turn of the event loop, and not again while the file is unchanged.
    void countFindings(const QString &file);
    // Down, with its own picture, while a move waits for its node.
    void showMovePending(bool pending);

private:
    // Positions in m_imageList1.
    enum Image { Open, Create, Delete, Save, Settings, Move, MovePending, Export, Duplicate };

    void setUpImages();
    void setUpToolBar(QMainWindow *window, QAction *undo, QAction *redo);
    void setUpStatusBar();
    void setUpShortcuts();
    void showCheckCount();

    Ui::Tfmain &ui;
    std::vector<QIcon> m_imageList1;
    QComboBox *m_sublisten = nullptr;
    QLabel *m_statusFixed = nullptr;
    QLabel *m_statusNote = nullptr;
    QLabel *m_statusCheck = nullptr;
    QTimer *m_checkDelay = nullptr;
    QString m_checkFile;
    QByteArray m_checkedVersion; // what the file was when the count was made
    // To tell a toggle of the move button by assistive technology from a click.
    quint64 m_moveTriggers = 0;
    bool m_showingMove = false;
    std::optional<bool> m_movePending; // what the button shows
};
