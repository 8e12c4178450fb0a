// SPDX-License-Identifier: MIT
#include "commandbar.h"
#include "ui_tfmain.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "gui/dialogs/menucheckdialog.h"
#include "model/menumodel.h"
#include "operations/menucheck.h"

namespace {

constexpr int kWideButton = 86;

} // namespace

CommandBar::CommandBar(Ui::Tfmain &ui, QMainWindow *window, QAction *undo, QAction *redo)
    : QObject(window), ui(ui)
{
    setUpImages();
    setUpToolBar(window, undo, redo);
    setUpStatusBar();
    setUpShortcuts();
    m_checkDelay = new QTimer(this);
    m_checkDelay->setSingleShot(true);
    m_checkDelay->setInterval(0);
    connect(m_checkDelay, &QTimer::timeout, this, &CommandBar::showCheckCount);
    // Assistive technology toggles the checkable move button without clicking it, which
    // checks the action but does not trigger it: the command runs as after a click.
    connect(ui.btmove, &QAction::triggered, this, [this] { ++m_moveTriggers; });
    connect(ui.btmove, &QAction::toggled, this, [this] {
        if (m_showingMove)
            return;
        QTimer::singleShot(0, this, [this, triggers = m_moveTriggers] {
            if (triggers == m_moveTriggers)
                this->ui.btmove->trigger();
        });
    });
}

void CommandBar::setSublisten(const QStringList &names)
{
    m_sublisten->clear();
    m_sublisten->addItems(names);
    m_sublisten->setCurrentIndex(-1);
}

void CommandBar::showNote(const QString &text)
{
    if (m_statusNote->text() != text)
        m_statusNote->setText(text);
}

QString CommandBar::note() const
{
    return m_statusNote->text();
}

void CommandBar::countFindings(const QString &file)
{
    m_checkFile = file;
    m_checkDelay->start();
}

void CommandBar::showCheckCount()
{
    // The check reads the whole file once more, so F5 or a change elsewhere in the watched
    // folder, which leave the file as it was, are spared it.
    const QByteArray version = m_checkFile.toUtf8() + '\0' + menu::version(m_checkFile);
    if (version == m_checkedVersion)
        return;
    m_checkedVersion = version;
    size_t findings = 0;
    try {
        findings = menucheck::check(m_checkFile).size();
    } catch (const Exception &) {
        // A file that cannot be read has been reported by the load.
    }
    m_statusCheck->setText(MenuCheckDialog::statusText(findings));
}

void CommandBar::showMovePending(bool pending)
{
    if (m_movePending == pending && ui.btmove->isChecked() == pending)
        return;
    m_movePending = pending;
    ui.btmove->setIcon(m_imageList1.at(pending ? MovePending : Move));
    m_showingMove = true;
    ui.btmove->setChecked(pending);
    m_showingMove = false;
}

void CommandBar::setUpImages()
{
    static const char *const names[] = {"open", "create",       "delete", "save",     "settings",
                                        "move", "move-pending", "export", "duplicate"};
    for (const char *name : names)
        m_imageList1.emplace_back(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));

    const std::pair<QAction *, Image> images[] = {{ui.btopen, Open},
                                                  {ui.TarvikDateiffnen1, Open},
                                                  {ui.ToolButton3, Create},
                                                  {ui.Knotenanlegen1, Create},
                                                  {ui.Eintraganlegen1, Create},
                                                  {ui.Knotenanlegen2, Create},
                                                  {ui.Eintraganlegen2, Create},
                                                  {ui.btdelete, Delete},
                                                  {ui.Lschen1, Delete},
                                                  {ui.Esave, Save},
                                                  {ui.Speichern1, Save},
                                                  {ui.ToolButton1, Settings},
                                                  {ui.itelbearbeiten1, Settings},
                                                  {ui.btmove, Move},
                                                  {ui.ToolButton4, Export},
                                                  {ui.ToolButton7, Duplicate}};
    for (const auto &[action, image] : images)
        action->setIcon(m_imageList1.at(image));

    ui.btProgramm->setIcon(QIcon(QStringLiteral(":/icons/program.svg")));
    QIcon tsc(QStringLiteral(":/icons/tsc.svg"));
    tsc.addFile(QStringLiteral(":/icons/tsc-disabled.svg"), QSize(), QIcon::Disabled);
    ui.btTSC->setIcon(tsc);
}

void CommandBar::setUpToolBar(QMainWindow *window, QAction *undo, QAction *redo)
{
    QToolBar *bar = ui.ToolBar1;
    auto separator = [bar](const char *name) {
        bar->addSeparator()->setObjectName(QLatin1String(name));
    };

    bar->addAction(ui.btopen);
    separator("ToolButton8");
    m_sublisten = new QComboBox(bar);
    m_sublisten->setObjectName(QStringLiteral("Sublisten"));
    m_sublisten->setAccessibleName(QStringLiteral("Unterlisten"));
    m_sublisten->setEditable(false);
    m_sublisten->setFixedWidth(175);
    m_sublisten->setMaxVisibleItems(25);
    bar->addWidget(m_sublisten);
    separator("ToolButton2");
    bar->addAction(ui.ToolButton3);
    separator("ToolButton6");
    for (QAction *action : {ui.btdelete, ui.Esave, ui.btmove, ui.ToolButton7, ui.ToolButton4})
        bar->addAction(action);
    separator("ToolButton9");
    bar->addAction(undo);
    bar->addAction(redo);
    separator("ToolButton5");
    bar->addAction(ui.ToolButton1);
    ui.Bearbeiten1->insertActions(ui.itelbearbeiten1, {undo, redo});
    ui.Bearbeiten1->insertSeparator(ui.itelbearbeiten1);

    const QList<QAction *> separators = ui.Bearbeiten1->actions();
    int n = 0;
    for (QAction *action : separators) {
        if (action->isSeparator())
            action->setObjectName(QStringLiteral("N%1").arg(++n));
    }

    auto *menuAnlegen = new QMenu(window);
    menuAnlegen->setObjectName(QStringLiteral("MenuAnlegen"));
    menuAnlegen->addAction(ui.Knotenanlegen1);
    menuAnlegen->addAction(ui.Eintraganlegen1);

    QWidget *previous = ui.Tree;
    for (QAction *action : bar->actions()) {
        QWidget *widget = bar->widgetForAction(action);
        auto *button = qobject_cast<QToolButton *>(widget);
        if (button) {
            button->setObjectName(action->objectName());
            // Tool buttons take the focus too, so every command can be reached from the keyboard.
            button->setFocusPolicy(Qt::TabFocus);
            if (action == ui.btmove || action == ui.ToolButton1)
                button->setMinimumWidth(kWideButton);
            // Their captions name the step; in the bar the picture and the tooltip do.
            if (action == undo || action == redo)
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            if (action == ui.ToolButton3) {
                button->setMenu(menuAnlegen);
                button->setPopupMode(QToolButton::InstantPopup);
            }
        }
        if (button || widget == m_sublisten) {
            QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
    QWidget::setTabOrder(previous, ui.Suche);
    QWidget::setTabOrder(ui.Suche, ui.Tree);
    QWidget::setTabOrder(ui.Tree, ui.Name);
}

void CommandBar::setUpStatusBar()
{
    m_statusFixed = new QLabel(QStringLiteral("Tarvik-Menü"), ui.Status);
    m_statusFixed->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusFixed->setFixedWidth(110);
    m_statusNote = new QLabel(ui.Status);
    m_statusNote->setObjectName(QStringLiteral("StatusPanel1"));
    // A description, not a name: a name would hide the changing text from screen readers.
    m_statusNote->setAccessibleDescription(QStringLiteral("Statushinweis"));
    m_statusNote->setMinimumWidth(50);
    ui.Status->addWidget(m_statusFixed);
    ui.Status->addWidget(m_statusNote, 1);
    m_statusCheck = new QLabel(ui.Status);
    m_statusCheck->setObjectName(QStringLiteral("StatusPanel2"));
    m_statusCheck->setAccessibleDescription(QStringLiteral("Prüfergebnis"));
    ui.Status->addPermanentWidget(m_statusCheck);
}

void CommandBar::setUpShortcuts()
{
    // One action per shortcut: the tool button of the same command shares its handler.
    ui.TarvikDateiffnen1->setShortcut(QKeySequence::Open);
    ui.Speichern1->setShortcut(QKeySequence::Save);
    ui.ToolButton7->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    ui.Lschen1->setShortcut(QKeySequence::Delete);
    ui.Ausschneiden1->setShortcuts(QKeySequence::Cut);
    ui.Kopieren1->setShortcuts(QKeySequence::Copy);
    ui.Einfuegen1->setShortcuts(QKeySequence::Paste);
    // These act on items only from the tree; in a field they edit its text. In the tree they
    // are its context menu as well.
    auto *separator = new QAction(ui.Tree);
    separator->setSeparator(true);
    for (QAction *action : {ui.Ausschneiden1, ui.Kopieren1, ui.Einfuegen1, separator, ui.Lschen1}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        ui.Tree->addAction(action);
    }
    ui.Tree->setContextMenuPolicy(Qt::ActionsContextMenu);
}
