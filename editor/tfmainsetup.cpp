// SPDX-License-Identifier: MIT
// Building the main window: images, tool bar, status bar, the panel's fit to the font, and the
// table that wires each command to its controls.
#include "tfmain.h"
#include "ui_tfmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "messages.h"
#include "treeitem.h"
#include "undohistory.h"

namespace {

constexpr int kWideButton = 86;

// Keeps the panel's arrangement at the window's first size and gives the width the window gains
// beyond it to the fields: the long fields grow, and what stands right of them moves along. The
// panel never grows wider than its room; narrower than its first size, it scrolls.
class PanelStretch : public QObject
{
public:
    PanelStretch(QWidget *window, QScrollArea *area, QWidget *panel,
                 std::initializer_list<QWidget *> growing, std::initializer_list<QWidget *> moving)
        : QObject(panel), m_window(window), m_area(area), m_panel(panel),
          m_firstWidth(panel->minimumWidth()), m_firstWindowWidth(window->width())
    {
        for (QWidget *widget : growing)
            m_growing.emplace_back(widget, widget->width());
        for (QWidget *widget : moving)
            m_moving.emplace_back(widget, widget->x());
        for (QObject *watched :
             {static_cast<QObject *>(window), static_cast<QObject *>(area->viewport()),
              static_cast<QObject *>(panel)})
            watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Resize)
            return false;
        if (watched == m_panel) {
            const int extra = m_panel->width() - m_firstWidth;
            for (const auto &[widget, width] : m_growing)
                widget->resize(width + extra, widget->height());
            for (const auto &[widget, x] : m_moving)
                widget->move(x + extra, widget->y());
            return false;
        }
        const int wanted = m_firstWidth + qMax(0, m_window->width() - m_firstWindowWidth);
        const int width = qMax(m_firstWidth, qMin(wanted, m_area->viewport()->width()));
        if (m_panel->maximumWidth() != width)
            m_panel->setFixedWidth(width);
        return false;
    }

private:
    QWidget *m_window;
    QScrollArea *m_area;
    QWidget *m_panel;
    int m_firstWidth;
    int m_firstWindowWidth;
    std::vector<std::pair<QWidget *, int>> m_growing;
    std::vector<std::pair<QWidget *, int>> m_moving;
};

} // namespace

void Tfmain::fitPanelToFont()
{
    // The layout was made for a narrower font: where a label needs more room than it has, the
    // fields and everything right of the labels move over by the same amount.
    const std::initializer_list<QLabel *> labels{ui->Label5, ui->Label3, ui->Label4};
    int labelWidth = 0;
    for (QLabel *label : labels)
        labelWidth = qMax(labelWidth, label->sizeHint().width());
    const int shift = qMax(0, ui->Label5->x() + labelWidth + 4 - ui->Name->x());
    const QSize first = ui->ed->minimumSize();
    for (QWidget *child : ui->ed->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (std::find(labels.begin(), labels.end(), child) != labels.end())
            child->resize(labelWidth, child->height());
        else
            child->move(child->x() + shift, child->y());
    }
    for (QCheckBox *box : {ui->klappCheck, ui->encrypt, ui->NichtSchliessen})
        box->resize(qMax(box->width(), box->sizeHint().width()), box->height());
    // Narrower than this, the panel scrolls; wider, its fields stretch.
    ui->ed->setFixedSize(first.width() + shift, first.height());
    new PanelStretch(this, ui->Panel1, ui->ed, {ui->Name, ui->pfad, ui->param},
                     {ui->section, ui->id, ui->btProgramm, ui->btTSC});
}

void Tfmain::setUpImages()
{
    static const char *const names[] = {"open", "create",       "delete", "save",     "settings",
                                        "move", "move-pending", "export", "duplicate"};
    for (const char *name : names)
        m_imageList1.emplace_back(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));

    const std::pair<QAction *, Image> images[] = {{ui->btopen, Open},
                                                  {ui->TarvikDateiffnen1, Open},
                                                  {ui->ToolButton3, Create},
                                                  {ui->Knotenanlegen1, Create},
                                                  {ui->Eintraganlegen1, Create},
                                                  {ui->Knotenanlegen2, Create},
                                                  {ui->Eintraganlegen2, Create},
                                                  {ui->btdelete, Delete},
                                                  {ui->Lschen1, Delete},
                                                  {ui->Esave, Save},
                                                  {ui->Speichern1, Save},
                                                  {ui->ToolButton1, Settings},
                                                  {ui->itelbearbeiten1, Settings},
                                                  {ui->btmove, Move},
                                                  {ui->ToolButton4, Export},
                                                  {ui->ToolButton7, Duplicate}};
    for (const auto &[action, image] : images)
        action->setIcon(m_imageList1.at(image));

    ui->btProgramm->setIcon(QIcon(QStringLiteral(":/icons/program.svg")));
    QIcon tsc(QStringLiteral(":/icons/tsc.svg"));
    tsc.addFile(QStringLiteral(":/icons/tsc-disabled.svg"), QSize(), QIcon::Disabled);
    ui->btTSC->setIcon(tsc);
}

void Tfmain::setUpToolBar()
{
    QToolBar *bar = ui->ToolBar1;
    auto separator = [bar](const char *name) {
        bar->addSeparator()->setObjectName(QLatin1String(name));
    };

    bar->addAction(ui->btopen);
    separator("ToolButton8");
    m_sublisten = new QComboBox(bar);
    m_sublisten->setObjectName(QStringLiteral("Sublisten"));
    m_sublisten->setAccessibleName(QStringLiteral("Unterlisten"));
    m_sublisten->setEditable(false);
    m_sublisten->setFixedWidth(175);
    m_sublisten->setMaxVisibleItems(25);
    bar->addWidget(m_sublisten);
    separator("ToolButton2");
    bar->addAction(ui->ToolButton3);
    separator("ToolButton6");
    for (QAction *action : {ui->btdelete, ui->Esave, ui->btmove, ui->ToolButton7, ui->ToolButton4})
        bar->addAction(action);
    separator("ToolButton9");
    bar->addAction(m_history->undoAction());
    bar->addAction(m_history->redoAction());
    separator("ToolButton5");
    bar->addAction(ui->ToolButton1);
    ui->Bearbeiten1->insertActions(ui->itelbearbeiten1,
                                   {m_history->undoAction(), m_history->redoAction()});
    ui->Bearbeiten1->insertSeparator(ui->itelbearbeiten1);

    const QList<QAction *> separators = ui->Bearbeiten1->actions();
    int n = 0;
    for (QAction *action : separators) {
        if (action->isSeparator())
            action->setObjectName(QStringLiteral("N%1").arg(++n));
    }

    auto *menuAnlegen = new QMenu(this);
    menuAnlegen->setObjectName(QStringLiteral("MenuAnlegen"));
    menuAnlegen->addAction(ui->Knotenanlegen1);
    menuAnlegen->addAction(ui->Eintraganlegen1);

    QWidget *previous = ui->Tree;
    for (QAction *action : bar->actions()) {
        QWidget *widget = bar->widgetForAction(action);
        auto *button = qobject_cast<QToolButton *>(widget);
        if (button) {
            button->setObjectName(action->objectName());
            // Tool buttons take the focus too, so every command can be reached from the keyboard.
            button->setFocusPolicy(Qt::TabFocus);
            if (action == ui->btmove || action == ui->ToolButton1)
                button->setMinimumWidth(kWideButton);
            // Their captions name the step; in the bar the picture and the tooltip do.
            if (action == m_history->undoAction() || action == m_history->redoAction())
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            if (action == ui->ToolButton3) {
                button->setMenu(menuAnlegen);
                button->setPopupMode(QToolButton::InstantPopup);
            }
        }
        if (button || widget == m_sublisten) {
            setTabOrder(previous, widget);
            previous = widget;
        }
    }
    setTabOrder(previous, ui->Suche);
    setTabOrder(ui->Suche, ui->Tree);
    setTabOrder(ui->Tree, ui->Name);
}

void Tfmain::setUpStatusBar()
{
    m_statusFixed = new QLabel(QStringLiteral("Tarvik-Menü"), ui->Status);
    m_statusFixed->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusFixed->setFixedWidth(110);
    m_statusNote = new QLabel(ui->Status);
    m_statusNote->setObjectName(QStringLiteral("StatusPanel1"));
    // A description, not a name: a name would hide the changing text from screen readers.
    m_statusNote->setAccessibleDescription(QStringLiteral("Statushinweis"));
    m_statusNote->setMinimumWidth(50);
    ui->Status->addWidget(m_statusFixed);
    ui->Status->addWidget(m_statusNote, 1);
    m_statusCheck = new QLabel(ui->Status);
    m_statusCheck->setObjectName(QStringLiteral("StatusPanel2"));
    m_statusCheck->setAccessibleDescription(QStringLiteral("Prüfergebnis"));
    ui->Status->addPermanentWidget(m_statusCheck);
}

void Tfmain::wireCommands()
{
    const std::pair<QAction *, void (Tfmain::*)()> commands[] = {
        {ui->btopen, &Tfmain::btopenClick},
        {ui->TarvikDateiffnen1, &Tfmain::btopenClick},
        {ui->Neuladen1, &Tfmain::Neuladen1Click},
        {ui->Beenden1, &Tfmain::Beenden1Click},
        {ui->ToolButton1, &Tfmain::ToolButton1Click},
        {ui->itelbearbeiten1, &Tfmain::ToolButton1Click},
        {ui->VersionsInfo1, &Tfmain::VersionsInfo1Click},
        {ui->Menuepruefen1, &Tfmain::Menuepruefen1Click},
        {ui->Esave, &Tfmain::EsaveClick},
        {ui->Speichern1, &Tfmain::EsaveClick},
        {ui->Knotenanlegen1, &Tfmain::Knotenanlegen1Click},
        {ui->Knotenanlegen2, &Tfmain::Knotenanlegen1Click},
        {ui->Eintraganlegen1, &Tfmain::prepareEntry},
        {ui->Eintraganlegen2, &Tfmain::prepareEntry},
        {ui->btdelete, &Tfmain::btdeleteClick},
        {ui->Lschen1, &Tfmain::btdeleteClick},
        {ui->btmove, &Tfmain::btmoveClick},
        {ui->ToolButton7, &Tfmain::ToolButton7Click},
        {ui->ToolButton4, &Tfmain::ToolButton4Click}};
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, guardedCommand(handler));
    // Assistive technology toggles the checkable move button without clicking it, which
    // checks the action but does not trigger it: the command runs as after a click.
    connect(ui->btmove, &QAction::triggered, this, [this] { ++m_moveTriggers; });
    connect(ui->btmove, &QAction::toggled, this, [this] {
        if (m_showingMove)
            return;
        QTimer::singleShot(0, this, [this, triggers = m_moveTriggers] {
            if (triggers == m_moveTriggers)
                ui->btmove->trigger();
        });
    });

    connect(ui->btProgramm, &QToolButton::clicked, this, guardedCommand(&Tfmain::btProgrammClick));
    connect(ui->btTSC, &QToolButton::clicked, this, guardedCommand(&Tfmain::btTSCClick));
    connect(ui->pfad, &QLineEdit::textChanged, this, guardedCommand(&Tfmain::pfadChange));
    // The panel follows the current item however it was chosen: mouse, keys, type-ahead.
    connect(ui->Tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *previous) {
                messages::guarded(this, [&] { currentItemChanged(current, previous); });
            });
    for (QLineEdit *edit : {ui->Name, ui->pfad, ui->param})
        connect(edit, &QLineEdit::textChanged, this, &Tfmain::markEdited);
    // Long texts show in full as a tooltip.
    for (QLineEdit *edit : {ui->Name, ui->param})
        connect(edit, &QLineEdit::textChanged, edit, &QLineEdit::setToolTip);
    ui->Tree->setItemDelegate(new CaptionTips(ui->Tree));
    connect(ui->Suchen1, &QAction::triggered, this, &Tfmain::openFind);
    connect(ui->Suche, &QLineEdit::textChanged, this, &Tfmain::filterTree);
    connect(ui->Suche, &QLineEdit::returnPressed, this, &Tfmain::leaveFind);
    // Down goes on into the tree as from a list's own find field.
    connect(new QShortcut(Qt::Key_Down, ui->Suche, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &Tfmain::leaveFind);
    for (QCheckBox *box : {ui->klappCheck, ui->encrypt, ui->NichtSchliessen})
        connect(box, &QCheckBox::toggled, this, &Tfmain::markEdited);
    connect(m_sublisten, &QComboBox::activated, this, guardedCommand(&Tfmain::SublistenChange));
    connect(ui->Splitter1, &QSplitter::splitterMoved, this,
            guardedCommand(&Tfmain::splitterReleased));

    // One action per shortcut: the tool button of the same command shares its handler.
    ui->TarvikDateiffnen1->setShortcut(QKeySequence::Open);
    ui->Speichern1->setShortcut(QKeySequence::Save);
    ui->ToolButton7->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    // Del deletes only from the tree; in a field it deletes a character.
    ui->Lschen1->setShortcut(QKeySequence::Delete);
    ui->Lschen1->setShortcutContext(Qt::WidgetShortcut);
    ui->Tree->addAction(ui->Lschen1);
    connect(new QShortcut(Qt::Key_F2, this), &QShortcut::activated, ui->Name,
            [this] { ui->Name->setFocus(Qt::ShortcutFocusReason); });
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, [this] {
        // Esc closes the find it was typed into, else ends a pending move, else closes the find.
        if (m_move && !ui->Suche->hasFocus()) {
            m_move.reset();
            showMovePending(false);
            m_statusNote->clear();
        } else if (ui->Suche->isVisible()) {
            closeFind();
        }
    });
}

std::function<void()> Tfmain::guardedCommand(void (Tfmain::*handler)())
{
    // As the application's error handler would: an error is shown and the program goes on.
    return [this, handler] { messages::guarded(this, [this, handler] { (this->*handler)(); }); };
}
