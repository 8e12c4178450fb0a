// SPDX-License-Identifier: MIT
// Loading the menu file into the window: where the file is found at start, the sub-list box, the
// tree built from the menu model, reloading when another program changes the file, and the menu
// check of what was loaded.
#include "tfmain.h"
#include "ui_tfmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>

#include "captionorder.h"
#include "menucheckdialog.h"
#include "menulayout.h"
#include "messages.h"
#include "treeitem.h"
#include "undohistory.h"

namespace {

using menufile::kNodeId;

const QString kDataFolder = QStringLiteral("daten");

// An installed program's folder is a system folder that holds no menu files and that the user
// cannot write; its data folder is then one of the user's own, created on first start.
QString dataFolderFor(const QString &programFolder)
{
    if (QFileInfo(programFolder + kDataFolder).isDir()) // a file of that name does not count
        return programFolder + kDataFolder + QLatin1Char('/');
    if (QDir(programFolder) != QDir(QStringLiteral(TARVIK_INSTALLED_BINDIR)))
        return programFolder;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/tarvik-konfig/") + kDataFolder + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

QStringList folderEntries(const QString &folder)
{
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

using Items = std::vector<std::unique_ptr<QTreeWidgetItem>>;

QString captionOf(const std::unique_ptr<QTreeWidgetItem> &item)
{
    return item->text(0);
}

QList<QTreeWidgetItem *> release(Items &items)
{
    QList<QTreeWidgetItem *> released;
    released.reserve(qsizetype(items.size()));
    for (auto &item : items)
        released.append(item.release());
    items.clear();
    return released;
}

Tdaten dateOf(const menu::Node &node)
{
    return {{}, {}, node.caption, node.letter, kNodeId, node.expand, false, false};
}

Tdaten dateOf(const menu::Node &node, const menu::Entry &entry)
{
    return {
        entry.program, entry.params,    entry.caption, node.letter, QString::number(entry.index),
        false,         entry.scrambled, entry.keepOpen};
}

} // namespace

void Tfmain::FormCreate(const QStringList &arguments, const QString &programDir)
{
    const QString name = arguments.size() == 1 ? arguments.first() : menufile::kDefaultMenuFile;
    QString programFolder = programDir;
    if (!programFolder.isEmpty() && !programFolder.endsWith(QLatin1Char('/')))
        programFolder += QLatin1Char('/');
    m_datenPfad = dataFolderFor(programFolder);
    // An absolute path names the menu file itself; joined to the data folder it would name none.
    openMenuFile(QDir::isAbsolutePath(name) ? name : m_datenPfad + name);
}

void Tfmain::fillSublisten(const QString &path)
{
    // The sub-lists are the files "name.*" beside the menu file, itself included; a folder of
    // such a name is listed too. Names compare without letter case, as on the launcher's platform.
    const QString fileName = QFileInfo(path).fileName();
    const QString base = fileName.left(fileName.lastIndexOf(QLatin1Char('.')));
    QStringList names;
    for (const QString &name : folderEntries(m_aktPfad)) {
        if (name.compare(base, Qt::CaseInsensitive) == 0 ||
            name.startsWith(base + QLatin1Char('.'), Qt::CaseInsensitive))
            names.append(name);
    }
    QCollator collator(CaptionOrder::sortLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    m_sublisten->clear();
    m_sublisten->addItems(names);
    m_sublisten->setCurrentIndex(-1);
}

void Tfmain::openMenuFile(const QString &path)
{
    m_aktDatei = path;
    // Chosen by the user, a file that is not there is a new menu, even where one was removed.
    m_openedAsNew = !QFileInfo::exists(path);
    LoadMenuFile(path);
}

void Tfmain::LoadMenuFile(const QString &path)
{
    load(path, {});
}

void Tfmain::load(const QString &path, const Selection &select)
{
    m_aktPfad = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    fillSublisten(path);
    setWindowTitle(QStringLiteral("%1 (%2)").arg(messages::kApplicationTitle, path));
    if (path != m_menu.path)
        m_openedAsNew = !QFileInfo::exists(path);
    m_loadedVersion = menu::version(path);
    watch();
    try {
        m_menu = menu::load(path);
    } catch (...) {
        // Nothing of an unreadable file is shown, so no command can act on it.
        m_menu = menu::Menu{path, true, {}, {}, menufile::kDefaultTreeWidth};
        fillTree();
        resetPanel();
        throw;
    }
    setTreeWidth(m_menu.treeWidth);
    fillTree();
    if (!m_menu.exists && !m_move)
        m_statusNote->setText(m_openedAsNew
                                  ? QStringLiteral("Die Datei gibt es noch nicht; sie wird mit "
                                                   "dem ersten Knoten angelegt.")
                                  : QStringLiteral("Die Datei wurde außerhalb des Editors "
                                                   "entfernt."));
    // The check reads the whole file once more: the tree shows first, the count follows.
    m_checkDelay->start();
    if (!selectItem(select))
        resetPanel(); // a menu without nodes: no later command may act on an item that is gone
}

void Tfmain::fillTree()
{
    const CaptionOrder order;
    Items nodes;
    for (const menu::Node &node : m_menu.nodes) {
        auto nodeItem = std::make_unique<TreeItem>(dateOf(node));
        Items entries;
        for (const menu::Entry &entry : node.entries)
            entries.push_back(std::make_unique<TreeItem>(dateOf(node, entry)));
        // Sorted while still outside the tree: no model signals, no repaints.
        order.sort(entries, captionOf);
        nodeItem->addChildren(release(entries));
        nodes.push_back(std::move(nodeItem));
    }
    order.sort(nodes, captionOf);
    ui->Tree->setUpdatesEnabled(false);
    const QSignalBlocker blocker(ui->Tree);
    ui->Tree->clear();
    ui->Tree->addTopLevelItems(release(nodes));
    ui->Tree->expandAll();
    ui->Tree->setUpdatesEnabled(true);
    if (!ui->Suche->text().isEmpty())
        filterTree();
}

void Tfmain::openFind()
{
    ui->Suche->show();
    ui->Suche->setFocus(Qt::ShortcutFocusReason);
    ui->Suche->selectAll();
}

void Tfmain::filterTree()
{
    // Only what changes is touched: each hide or show makes the tree lay itself out anew.
    const QString text = ui->Suche->text();
    ui->Tree->setUpdatesEnabled(false);
    for (int n = 0; n < ui->Tree->topLevelItemCount(); ++n) {
        QTreeWidgetItem *node = ui->Tree->topLevelItem(n);
        bool found = false;
        for (int e = 0; e < node->childCount(); ++e) {
            QTreeWidgetItem *entry = node->child(e);
            const Tdaten &daten = static_cast<const TreeItem *>(entry)->daten();
            const bool hit = menu::matchesFind(text, daten.caption, daten.path, daten.parameters);
            if (entry->isHidden() == hit)
                entry->setHidden(!hit);
            found = found || hit;
        }
        const bool show =
            found || text.isEmpty() || node->text(0).contains(text, Qt::CaseInsensitive);
        if (node->isHidden() == show)
            node->setHidden(!show);
        if (found && !text.isEmpty() && !node->isExpanded())
            node->setExpanded(true);
    }
    ui->Tree->setUpdatesEnabled(true);
    if (QTreeWidgetItem *current = ui->Tree->currentItem(); current && !current->isHidden())
        ui->Tree->scrollToItem(current);
}

void Tfmain::leaveFind()
{
    QTreeWidgetItem *current = ui->Tree->currentItem();
    if (!current || current->isHidden()) {
        for (QTreeWidgetItemIterator it(ui->Tree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            if ((*it)->parent() || ui->Suche->text().isEmpty()) {
                ui->Tree->setCurrentItem(*it);
                break;
            }
        }
    }
    ui->Tree->setFocus(Qt::OtherFocusReason);
}

void Tfmain::closeFind()
{
    ui->Suche->clear();
    ui->Suche->hide();
    ui->Tree->setFocus(Qt::OtherFocusReason);
    if (QTreeWidgetItem *current = ui->Tree->currentItem())
        ui->Tree->scrollToItem(current);
}

bool Tfmain::selectItem(const Selection &select)
{
    QTreeWidgetItem *found = ui->Tree->topLevelItem(0);
    const QString id = select.index == menu::kNodeIndex ? kNodeId : QString::number(select.index);
    for (QTreeWidgetItemIterator it(ui->Tree); *it && !select.letter.isEmpty(); ++it) {
        const Tdaten &daten = static_cast<const TreeItem *>(*it)->daten();
        if (daten.section == select.letter && daten.id == id) {
            found = *it;
            break;
        }
    }
    if (!found)
        return false;
    for (QTreeWidgetItem *item = found; item && select.reveal; item = item->parent()) {
        item->setHidden(false);
        item->setExpanded(item != found || item->isExpanded());
    }
    {
        const QSignalBlocker blocker(ui->Tree);
        ui->Tree->setCurrentItem(found);
    }
    ui->Tree->scrollToItem(found);
    TreeClick();
    return true;
}

void Tfmain::watch()
{
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    // The folder too: a replacement by rename, the file's removal and new sub-lists show there.
    for (const QString &path :
         {m_aktDatei, m_aktPfad.isEmpty() ? QStringLiteral(".") : m_aktPfad}) {
        if (QFileInfo::exists(path))
            m_watcher->addPath(path);
    }
}

void Tfmain::fileChangedOutside()
{
    if (menu::version(m_aktDatei) == m_loadedVersion) {
        fillSublisten(m_aktDatei);
        watch(); // a replaced file is a new file to the watcher
        return;
    }
    // The shown item stays shown if it is still there; edits not yet saved stay in the panel, and
    // a save checks the file still holds the item as it was shown.
    const std::optional<Tdaten> shown = m_shown;
    const std::optional<menu::ItemRef> shownRef = m_shownRef;
    const bool edited = panelEdited();
    const menu::Fields fields = panelFields();
    const bool prepared = m_entryPrepared;
    const QString preparedId = ui->id->text();
    Selection select;
    if (shown)
        select = {shown->section, shown->id == kNodeId ? menu::kNodeIndex : shown->id.toInt()};
    load(m_aktDatei, select);
    if (!shown || !m_shown || m_shown->section != shown->section || m_shown->id != shown->id)
        return;
    if (edited || prepared) {
        m_shown = shown;
        m_shownRef = shownRef;
        setPanelFields(fields);
    }
    if (prepared) {
        m_entryPrepared = true;
        ui->id->setText(preparedId);
    }
}

void Tfmain::showCheckResult()
{
    // Unchanged since the last count (F5, or a change elsewhere in the watched folder).
    const QByteArray version = m_aktDatei.toUtf8() + '\0' + menu::version(m_aktDatei);
    if (version == m_checkedVersion)
        return;
    m_checkedVersion = version;
    size_t findings = 0;
    try {
        findings = menucheck::check(m_aktDatei).size();
    } catch (const Exception &) {
        // A file that cannot be read has been reported by the load.
    }
    m_statusCheck->setText(MenuCheckDialog::statusText(findings));
}

void Tfmain::Menuepruefen1Click()
{
    auto *dialog = new MenuCheckDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("MenuCheck"));
    dialog->setFile(m_aktDatei);
    connect(dialog, &MenuCheckDialog::showItem, this,
            [this](const QString &file, const QString &letter, int index) {
                if (maySwitchItem())
                    showResult({{}, file, letter, index});
            });
    connect(dialog, &MenuCheckDialog::repairRequested, this, [this, dialog] {
        messages::guarded(this, [&] {
            const QString file = dialog->file();
            const menucheck::RepairResult repaired = menucheck::repair(file);
            m_history->record(QStringLiteral("Reparieren"),
                              {repaired.changes, file, QString(), menu::kNodeIndex});
            showResult({{}, file, QString(), menu::kNodeIndex});
            dialog->setFile(file);
        });
    });
    dialog->show();
}
