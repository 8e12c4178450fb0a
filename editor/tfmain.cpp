// SPDX-License-Identifier: MIT
#include "tfmain.h"
#include "ui_tfmain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>

#include <limits>

#include "captionorder.h"
#include "menulayout.h"
#include "messages.h"
#include "modalrunner.h"
#include "screenfit.h"
#include "tfallgemein.h"
#include "tfmstsc.h"
#include "treeitem.h"
#include "undohistory.h"
#include "versioninfo.h"

namespace {

using menufile::kNodeId;

// The splitter snaps the tree shut at this width or less and keeps this much room right of it.
constexpr int kSplitterSnap = 30;
// Other programs write in several steps; one reload after they are done is enough.
constexpr int kWatchDelayMs = 200;

const QString kChooseBranch = QStringLiteral("Wählen Sie erst einen Zweig aus!");
const QString kDeleteNode = QStringLiteral(
    "Sind Sie sicher, dass Sie den Knoten >> %1 << inklusive aller Untereinträge löschen wollen?");

} // namespace

Tfmain::Tfmain(const QStringList &arguments, const QString &programDir, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::Tfmain>())
{
    ui->setupUi(this);
    m_history = new UndoHistory(
        this, [this](const menu::Result &result) { showResult(result); },
        [this] { return maySwitchItem(); });
    // A line edit cuts longer text to 32767 characters, and the next save would store the cut.
    for (QLineEdit *edit : {ui->Name, ui->pfad, ui->param})
        edit->setMaxLength(std::numeric_limits<int>::max());
    setUpImages();
    setUpToolBar();
    setUpStatusBar();

    ui->Splitter1->setCollapsible(0, true);
    ui->Splitter1->setCollapsible(1, false);
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    ui->Tree->setMinimumWidth(1);
    ui->Suche->setMinimumWidth(1);
    ui->Panel1->setMinimumWidth(kSplitterSnap);
    // The selection stays visible while the tree has no focus.
    QPalette palette = ui->Tree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ui->Tree->setPalette(palette);
    setTreeWidth(menufile::kDefaultTreeWidth);
    fitPanelToFont();

    m_watcher = new QFileSystemWatcher(this);
    m_watchDelay = new QTimer(this);
    m_watchDelay->setSingleShot(true);
    m_watchDelay->setInterval(kWatchDelayMs);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_watchDelay, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_watchDelay,
            qOverload<>(&QTimer::start));
    connect(m_watchDelay, &QTimer::timeout, this,
            [this] { messages::guarded(this, [this] { fileChangedOutside(); }); });
    // One count for all the loads of one turn of the event loop, made after the tree shows.
    m_checkDelay = new QTimer(this);
    m_checkDelay->setSingleShot(true);
    m_checkDelay->setInterval(0);
    connect(m_checkDelay, &QTimer::timeout, this, &Tfmain::showCheckResult);

    wireCommands();
    // Made for a screen of 1024 x 768 at scale 1: bounded to the screen it opens on.
    screenfit::fitWindow(this);

    // An error while the menu loads is shown, and the window opens all the same.
    messages::guarded(this, [&] { FormCreate(arguments, programDir); });
}

Tfmain::~Tfmain() = default;

QString Tfmain::statusText() const
{
    return m_statusNote->text();
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
    messages::guarded(this, [&] { leave = maySwitchItem(); });
    if (leave)
        event->accept();
    else
        event->ignore();
}

menu::ItemRef Tfmain::shownOrGone() const
{
    if (const std::optional<menu::ItemRef> item = shownItem(); item && !m_entryPrepared)
        return *item;
    throw transaction::EChangedOutside(
        QStringLiteral("»%1« wurde außerhalb des Editors geändert oder entfernt.")
            .arg(m_shown ? m_shown->caption : QString()));
}

std::optional<menu::ItemRef> Tfmain::shownItem() const
{
    return m_shownRef;
}

std::optional<menu::ItemRef> Tfmain::refOf(const Tdaten &daten) const
{
    for (const menu::Node &node : m_menu.nodes) {
        if (node.letter != daten.section)
            continue;
        if (daten.id == kNodeId)
            return menu::refOf(m_menu, node);
        const int index = daten.id.toInt();
        if (index >= 0 && index < int(node.entries.size()))
            return menu::refOf(m_menu, node, node.entries[size_t(index)]);
    }
    return std::nullopt;
}

bool Tfmain::refuse(Need need)
{
    const bool node = m_shown && m_shown->id == kNodeId && !m_entryPrepared;
    QString message;
    if (!m_shown)
        message = kChooseBranch;
    else if (need == Need::Node && !node)
        message = kChooseBranch;
    else if (need == Need::EntryToDuplicate && node)
        message = QStringLiteral("Wählen Sie erst einen Eintrag zum Duplizieren aus!");
    else if (need == Need::EntryToMove && node)
        message = QStringLiteral("Knoten können nicht verschoben werden!");
    if (message.isEmpty())
        return false;
    messages::showPlain(this, message);
    return true;
}

bool Tfmain::apply(const QString &name, const std::function<menu::Result()> &command,
                   bool showWritten)
{
    menu::Result result;
    try {
        result = command();
    } catch (const transaction::EChangedOutside &changed) {
        messages::showPlain(this, changed.message());
        LoadMenuFile(m_aktDatei);
        return false;
    }
    m_history->record(name, result);
    // The item just written stays in view; after a delete the menu starts from its first node.
    if (showWritten && result.file == m_aktDatei)
        load(m_aktDatei, {result.letter, result.index, true});
    else
        LoadMenuFile(m_aktDatei);
    return true;
}

void Tfmain::showResult(const menu::Result &result)
{
    if (!result.file.isEmpty())
        m_aktDatei = result.file;
    load(m_aktDatei, {result.letter, result.index, true});
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
    m_dlgo->setDirectory(m_aktPfad.isEmpty() ? QDir::currentPath() : m_aktPfad);
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

void Tfmain::pfadChange()
{
    ui->pfad->setToolTip(ui->pfad->text());
}

void Tfmain::btopenClick()
{
    if (!maySwitchItem())
        return;
    const auto chosen =
        chooseFile({QStringLiteral("Tarvik-Dateien (*.ini)"), QStringLiteral("Alle Dateien (*)")},
                   QStringLiteral("ini"));
    if (chosen)
        openMenuFile(*chosen);
}

void Tfmain::Neuladen1Click()
{
    if (!maySwitchItem())
        return;
    LoadMenuFile(m_aktDatei);
}

void Tfmain::btProgrammClick()
{
    const auto chosen = chooseFile(
        {QStringLiteral("Programme (*.exe)"), QStringLiteral("Alle Dateien (*)")}, QString());
    if (chosen)
        ui->pfad->setText(*chosen);
}

void Tfmain::SublistenChange()
{
    const QString name = m_sublisten->currentText();
    if (name.isEmpty() || !maySwitchItem()) {
        m_sublisten->setCurrentIndex(-1);
        return;
    }
    openMenuFile(m_aktPfad + name);
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
    menu::writeWidth(m_aktDatei, width);
    m_loadedVersion = menu::version(m_aktDatei); // our own write is no outside change
    m_statusNote->setText(QStringLiteral("Neue Breite: %1 Pixel").arg(width));
}

void Tfmain::ToolButton1Click()
{
    // A new dialog each time, filled afresh from the file; the tree is not reloaded afterwards.
    TFallgemein dialog(m_aktDatei, this);
    ModalRunner::current().exec(dialog);
    m_history->record(QStringLiteral("Allgemeine Einstellungen"),
                      {dialog.changes(), m_aktDatei, QString(), menu::kNodeIndex});
    m_loadedVersion = menu::version(m_aktDatei); // the tree shows nothing of these settings
}

void Tfmain::Beenden1Click()
{
    close();
}

void Tfmain::VersionsInfo1Click()
{
    versioninfo::ShowVersionInfo(this);
}

void Tfmain::EsaveClick()
{
    save();
}

bool Tfmain::save()
{
    if (refuse(Need::Item))
        return false;
    if (ui->Name->text().isEmpty())
        ui->Name->setText(QStringLiteral("(Unbenannt)"));
    const std::optional<menu::ItemRef> item = shownItem();
    const menu::Fields fields = panelFields();
    const bool prepared = m_entryPrepared;
    return apply(QStringLiteral("Speichern von »%1«").arg(fields.caption), [&] {
        if (!item)
            return menu::saveItem(shownOrGone(), fields);
        return prepared ? menu::saveNewEntry(*item, fields) : menu::saveItem(*item, fields);
    });
}

void Tfmain::Knotenanlegen1Click()
{
    // Asking for a caption that cannot be stored would waste the user's typing.
    if (const std::optional<QString> refusal = menu::nodeRefusal(m_aktDatei, m_openedAsNew)) {
        messages::showPlain(this, *refusal);
        return;
    }
    // The new node is shown afterwards, in place of the edits.
    if (!maySwitchItem())
        return;
    const std::optional<QString> caption = messages::inputText(
        this, QStringLiteral("Neue Überschrift eingeben"), QStringLiteral("Beschriftung:"), 255);
    if (!caption)
        return;
    apply(QStringLiteral("Anlegen von »%1«").arg(*caption),
          [&] { return menu::createNode(m_aktDatei, *caption, m_openedAsNew); });
}

bool Tfmain::Eintraganlegen1Click()
{
    // The node's own edits would be cleared for the new entry's fields.
    if (refuse(Need::Node) || !maySwitchItem())
        return false;
    // The save takes the first free index as the file then stands; this one is shown meanwhile.
    ui->id->setText(QString::number(menu::freeEntryIndex(m_aktDatei, ui->section->text())));
    m_entryPrepared = true;
    ui->Name->clear();
    // The new entry's own fields at once, so nothing typed is stored without being seen.
    setEntryLayout(true);
    ui->encrypt->setChecked(false);
    ui->NichtSchliessen->setChecked(false);
    ui->Name->setFocus(Qt::OtherFocusReason);
    markEdited();
    return true;
}

void Tfmain::prepareEntry()
{
    Eintraganlegen1Click();
}

void Tfmain::btdeleteClick()
{
    if (refuse(Need::Item))
        return;
    if (!m_move) {
        const QString question =
            m_shown->id == kNodeId
                ? kDeleteNode
                : QStringLiteral("Wollen Sie wirklich den Eintrag >> %1 << löschen?");
        if (!messages::confirm(this, question.arg(ui->Name->text())))
            return;
    }
    apply(
        QStringLiteral("Löschen von »%1«").arg(m_shown->caption),
        [&] { return menu::deleteItem(shownOrGone()); }, false);
}

void Tfmain::showMovePending(bool pending)
{
    ui->btmove->setIcon(m_imageList1.at(pending ? MovePending : Move));
    m_showingMove = true;
    ui->btmove->setChecked(pending);
    m_showingMove = false;
}

void Tfmain::btmoveClick()
{
    if (!m_move) {
        // The button toggles itself when clicked; it stays up unless the move starts.
        showMovePending(false);
        if (refuse(Need::Item) || refuse(Need::EntryToMove))
            return;
        m_move = PendingMove{shownOrGone(), panelFields()};
        showMovePending(true);
        m_statusNote->setText(QStringLiteral(
            "Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben."));
        return;
    }
    showMovePending(true);
    // Refused when no node is shown: the move stays pending, so the user can pick one.
    if (refuse(Need::Node))
        return;
    const PendingMove move = *m_move;
    m_move.reset();
    showMovePending(false);
    m_statusNote->clear();
    apply(QStringLiteral("Verschieben von »%1«").arg(move.fields.caption),
          [&] { return menu::moveEntry(move.source, shownOrGone(), move.fields); });
}

void Tfmain::ToolButton7Click()
{
    if (refuse(Need::Item) || refuse(Need::EntryToDuplicate))
        return;
    const menu::Fields fields = panelFields();
    apply(QStringLiteral("Duplizieren von »%1«").arg(fields.caption),
          [&] { return menu::duplicateEntry(shownOrGone(), fields); });
}

void Tfmain::ToolButton4Click()
{
    if (refuse(Need::Node))
        return;
    const QString caption = ui->Name->text();
    menu::exportTarget(m_aktDatei, caption); // refuses before anything is asked or written
    const bool expand = ui->klappCheck->isChecked();
    // Answered "&Nein", the node stays and the sub-list is a copy of it.
    const bool remove = m_move || messages::confirm(this, kDeleteNode.arg(caption));
    apply(QStringLiteral("Export von »%1«").arg(caption),
          [&] { return menu::exportNode(shownOrGone(), caption, expand, remove); });
}

void Tfmain::btTSCClick()
{
    if (refuse(Need::Item))
        return;
    Tfmstsc dialog(this);
    // Only a remote-desktop entry's parameters are a switch line worth reading back. A line that
    // cannot be read ends the command here, before the dialog shows or stores anything.
    if (menufile::isTscPath(ui->pfad->text()))
        dialog.ReadSwitchLine(ui->param->text());
    if (ModalRunner::current().exec(dialog) != QDialog::Accepted)
        return;
    ui->param->setText(dialog.switchLine());
    ui->pfad->setText(menufile::kTscMarker);
    EsaveClick();
}
