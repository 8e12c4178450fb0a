// SPDX-License-Identifier: MIT
#include "tfmain.h"
#include "ui_tfmain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QShortcut>

#include <utility>

#include "gui/dialogs/messages.h"
#include "gui/dialogs/modalrunner.h"
#include "gui/dialogs/screenfit.h"
#include "gui/editor/batchcommands.h"
#include "gui/editor/commandbar.h"
#include "gui/editor/datafolder.h"
#include "gui/editor/editorpanel.h"
#include "gui/editor/filewatch.h"
#include "gui/editor/menucommands.h"
#include "gui/editor/menutree.h"
#include "gui/editor/undohistory.h"
#include "gui/editor/versioninfo.h"
#include "model/menufile.h"

namespace {

// The splitter snaps the tree shut at this width or less and keeps this much room right of it.
constexpr int kSplitterSnap = 30;

} // namespace

Tfmain::Tfmain(const QStringList &arguments, const QString &programDir, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::Tfmain>()), m_state([this] { render(); }),
      m_commands(std::make_unique<MenuCommands>(this, m_state))
{
    ui->setupUi(this);
    m_history = new UndoHistory(this, m_state, [this] { return m_commands->mayLeave(); });
    m_commands->setHistory(m_history);
    m_bar = new CommandBar(*ui, this, m_history->undoAction(), m_history->redoAction());
    m_tree = ui->Tree;
    m_tree->setFindField(ui->Suche);

    ui->Splitter1->setCollapsible(0, true);
    ui->Splitter1->setCollapsible(1, false);
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    ui->Tree->setMinimumWidth(1);
    ui->Suche->setMinimumWidth(1);
    ui->Panel1->setMinimumWidth(kSplitterSnap);
    setTreeWidth(menufile::kDefaultTreeWidth);
    m_panel = new EditorPanel(*ui, this);
    new BatchCommands(*ui, this, m_state, *m_commands, m_tree);

    m_watch = new FileWatch(this);
    connect(m_watch, &FileWatch::changed, this, &Tfmain::fileChangedOutside);
    wireCommands();
    // Made for a screen of 1024 x 768 at scale 1: bounded to the screen it opens on.
    screenfit::fitWindow(this);

    // An error while the menu loads is shown, and the window opens all the same.
    messages::guarded(this, [&] { FormCreate(arguments, programDir); });
}

Tfmain::~Tfmain()
{
    // The children go after the state: nothing they tell on their way may reach it.
    for (QObject *child : {static_cast<QObject *>(m_tree), static_cast<QObject *>(m_panel),
                           static_cast<QObject *>(m_watch)})
        child->disconnect(this);
}

void Tfmain::FormCreate(const QStringList &arguments, const QString &programDir)
{
    const QString name = arguments.size() == 1 ? arguments.first() : menufile::kDefaultMenuFile;
    QString programFolder = programDir;
    if (!programFolder.isEmpty() && !programFolder.endsWith(QLatin1Char('/')))
        programFolder += QLatin1Char('/');
    m_datenPfad = datafolder::dataFolderFor(programFolder);
    // An absolute path names the menu file itself; joined to the data folder it would name none.
    m_state.open(QDir::isAbsolutePath(name) ? name : m_datenPfad + name);
}

void Tfmain::render()
{
    const WindowState &state = m_state;
    if (state.loads() != m_renderedLoads) {
        m_renderedLoads = state.loads();
        setWindowTitle(QStringLiteral("%1 (%2)").arg(messages::kApplicationTitle, state.file()));
        m_bar->setSublisten(FileWatch::subLists(state.file(), state.folder()));
        m_watch->watch(state.file(), state.folder());
        setTreeWidth(state.menu().treeWidth);
        m_tree->build(state.menu());
        m_bar->countFindings(state.file());
    }
    m_tree->filter(state.findText());
    m_tree->select(state.selection(), state.revealed());
    m_tree->setGuarded(state.asksBeforeLeaving());
    m_panel->render(state.panel(), state.edited());
    m_bar->showNote(state.note());
    m_bar->showMovePending(state.move().has_value());
    // Several items have no fields to save.
    const bool saveOffered = state.panel().kind != PanelState::Kind::Several;
    ui->Esave->setEnabled(saveOffered);
    ui->Speichern1->setEnabled(saveOffered);
}

void Tfmain::chooseItems(const QList<ItemPlace> &places)
{
    if (places != m_state.selection() && m_commands->mayLeave())
        m_state.choose(places);
    // Answered "Abbrechen", the tree shows the item in the panel again.
    render();
}

void Tfmain::LoadMenuFile(const QString &path)
{
    m_state.show({path, std::nullopt}, false);
}

QString Tfmain::statusText() const
{
    return m_bar->note();
}

int Tfmain::treeWidth() const
{
    return ui->Splitter1->sizes().value(0);
}

void Tfmain::setTreeWidth(int width)
{
    width = qMax(0, width);
    const QList<int> sizes = ui->Splitter1->sizes();
    const int total = qMax(sizes.value(0) + sizes.value(1), width + kSplitterSnap);
    ui->Splitter1->setSizes({width, total - width});
}

void Tfmain::closeEvent(QCloseEvent *event)
{
    bool leave = false;
    messages::guarded(this, [&] { leave = m_commands->mayLeave(); });
    if (leave)
        event->accept();
    else
        event->ignore();
}

std::optional<QString> Tfmain::chooseFile(const QStringList &filters, const QString &suffix)
{
    // Made on first use: building it searches every icon folder for the dialog's theme icons,
    // which took a good part of the start-up time.
    if (!m_dlgo) {
        m_dlgo = new QFileDialog(this);
        m_dlgo->setObjectName(QStringLiteral("dlgo"));
        // Qt's own dialog, so it speaks the program's language wherever it runs.
        m_dlgo->setOption(QFileDialog::DontUseNativeDialog);
    }
    m_dlgo->setFileMode(QFileDialog::AnyFile);
    m_dlgo->setAcceptMode(QFileDialog::AcceptOpen);
    m_dlgo->setNameFilters(filters);
    const QString folder = m_state.folder();
    m_dlgo->setDirectory(folder.isEmpty() ? QDir::currentPath() : folder);
    m_dlgo->setDefaultSuffix(suffix);
    if (auto *fileName = m_dlgo->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        fileName->clear();
    if (ModalRunner::current().exec(*m_dlgo) != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = m_dlgo->selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first();
}

void Tfmain::btopenClick()
{
    if (!m_commands->mayLeave())
        return;
    const auto chosen =
        chooseFile({QStringLiteral("Tarvik-Dateien (*.ini)"), QStringLiteral("Alle Dateien (*)")},
                   QStringLiteral("ini"));
    if (chosen)
        m_state.open(*chosen);
}

void Tfmain::Neuladen1Click()
{
    if (m_commands->mayLeave())
        LoadMenuFile(m_state.file());
}

void Tfmain::SublistenChange()
{
    QComboBox *box = m_bar->sublisten();
    const QString name = box->currentText();
    if (name.isEmpty() || !m_commands->mayLeave()) {
        box->setCurrentIndex(-1);
        return;
    }
    m_state.open(m_state.folder() + name);
}

void Tfmain::splitterReleased()
{
    const int width = treeWidth();
    if (width > 0 && width <= kSplitterSnap)
        setTreeWidth(0);
    Splitter1Moved();
}

void Tfmain::Splitter1Moved()
{
    const int width = treeWidth();
    menu::writeWidth(m_state.file(), width);
    m_state.storedWidth(width);
}

void Tfmain::ToolButton1Click()
{
    m_commands->generalSettings();
}

void Tfmain::Beenden1Click()
{
    close();
}

void Tfmain::VersionsInfo1Click()
{
    versioninfo::ShowVersionInfo(this);
}

void Tfmain::TreeClick()
{
    // An empty tree has nothing selected: the panel stays as it is.
    const QList<ItemPlace> places = m_tree->selectedPlaces();
    if (!places.isEmpty())
        chooseItems(places);
}

void Tfmain::pfadChange()
{
    m_panel->pfadChange();
}

void Tfmain::btProgrammClick()
{
    const auto chosen = chooseFile(
        {QStringLiteral("Programme (*.exe)"), QStringLiteral("Alle Dateien (*)")}, QString());
    if (!chosen)
        return;
    // An edit like any other: nothing is written until the save.
    menu::Fields fields = m_state.panel().fields;
    fields.program = *chosen;
    m_state.edit(fields);
}

void Tfmain::EsaveClick()
{
    m_commands->save();
}

void Tfmain::Knotenanlegen1Click()
{
    m_commands->createNode();
}

bool Tfmain::Eintraganlegen1Click()
{
    if (!m_commands->prepareEntry())
        return false;
    // The new entry's own fields at once, so nothing typed is stored without being seen.
    m_panel->focusName();
    return true;
}

void Tfmain::btdeleteClick()
{
    m_commands->deleteItem();
}

void Tfmain::btmoveClick()
{
    m_commands->move();
}

void Tfmain::ToolButton7Click()
{
    m_commands->duplicate();
}

void Tfmain::ToolButton4Click()
{
    m_commands->exportNode();
}

void Tfmain::btTSCClick()
{
    m_commands->remoteDesktop();
}

void Tfmain::Menuepruefen1Click()
{
    m_commands->menuCheck();
}

void Tfmain::fileChangedOutside()
{
    if (std::exchange(m_reloadHeld, true))
        return;
    ModalRunner::whenClosed(this, [this] {
        m_reloadHeld = false;
        messages::guarded(this, [this] {
            if (m_state.changedOutside())
                return;
            // The file is as loaded; the folder may hold a new sub-list, and a replaced file is a
            // new file to the watcher.
            m_bar->setSublisten(FileWatch::subLists(m_state.file(), m_state.folder()));
            m_watch->watch(m_state.file(), m_state.folder());
        });
    });
}

void Tfmain::escapePressed()
{
    // Esc closes the find it was typed into, else ends a pending move, else closes the find.
    if (m_state.move() && !m_tree->findHasFocus())
        m_state.endMove();
    else if (m_tree->findOpen())
        m_tree->closeFind();
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
        {ui->btdelete, &Tfmain::btdeleteClick},
        {ui->Lschen1, &Tfmain::btdeleteClick},
        {ui->btmove, &Tfmain::btmoveClick},
        {ui->ToolButton7, &Tfmain::ToolButton7Click},
        {ui->ToolButton4, &Tfmain::ToolButton4Click}};
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, guardedCommand(handler));
    for (QAction *action : {ui->Eintraganlegen1, ui->Eintraganlegen2})
        connect(action, &QAction::triggered, this,
                [this] { messages::guarded(this, [this] { Eintraganlegen1Click(); }); });
    connect(ui->btProgramm, &QToolButton::clicked, this, guardedCommand(&Tfmain::btProgrammClick));
    connect(ui->btTSC, &QToolButton::clicked, this, guardedCommand(&Tfmain::btTSCClick));
    connect(m_bar->sublisten(), &QComboBox::activated, this,
            guardedCommand(&Tfmain::SublistenChange));
    connect(ui->Splitter1, &QSplitter::splitterMoved, this,
            guardedCommand(&Tfmain::splitterReleased));

    connect(m_panel, &EditorPanel::edited, this,
            [this](const menu::Fields &fields) { m_state.edit(fields); });
    connect(m_tree, &MenuTree::chosen, this, [this](const QList<ItemPlace> &places) {
        messages::guarded(this, [&] { chooseItems(places); });
    });
    connect(ui->Suchen1, &QAction::triggered, m_tree, &MenuTree::openFind);
    connect(m_tree, &MenuTree::findChanged, this,
            [this](const QString &text) { m_state.setFind(text); });
    connect(new QShortcut(Qt::Key_F2, this), &QShortcut::activated, m_panel,
            &EditorPanel::focusName);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &Tfmain::escapePressed);
}

std::function<void()> Tfmain::guardedCommand(void (Tfmain::*handler)())
{
    return [this, handler] {
        messages::guarded(this, [this, handler] { (this->*handler)(); });
        // A control may have changed itself (the move button toggles when clicked) where the
        // command refused: it shows the state again.
        render();
    };
}
