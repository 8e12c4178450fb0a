// SPDX-License-Identifier: MIT
#include "tfmain.h"
#include "ui_tfmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>

#include <array>
#include <deque>
#include <iterator>
#include <limits>

#include "captionorder.h"
#include "conversion.h"
#include "menulayout.h"
#include "messages.h"
#include "modalrunner.h"
#include "tfallgemein.h"
#include "tfmstsc.h"
#include "tinifile.h"
#include "treeitem.h"
#include "versioninfo.h"

namespace {

using menufile::EntryKey;
using menufile::entryKey;
using menufile::kNodeId;

const QString kDataFolder = QStringLiteral("daten");

// An installed program's folder is a system folder that holds no menu files and that the user
// cannot write; its data folder is then one of the user's own, created on first start.
bool isInstalledProgramFolder(const QString &programFolder)
{
    return QDir(programFolder) == QDir(QStringLiteral(TARVIK_INSTALLED_BINDIR));
}

QString perUserDataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/tarvik-konfig/") + kDataFolder + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

const QString kInitialSection = QStringLiteral("section");
const QString kInitialId = QStringLiteral("id");
const QString kWidthKeyRead = QStringLiteral("Width");
const QString kWidthKeyWritten = QStringLiteral("width");
constexpr int kDefaultTreeWidth = 150;
// The splitter snaps the tree shut at this width or less and keeps this much room right of it.
constexpr int kSplitterSnap = 30;
constexpr int kWideButton = 86;

const QString kChooseBranch = QStringLiteral("Wählen Sie erst einen Zweig aus!");

enum Image { Open, Create, Delete, Save, Settings, Move, MovePending, Export, Duplicate };

QString withTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

// Name of the menu file without its extension: the part before the last "." of the name.
QString baseName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QStringList folderEntries(const QString &folder)
{
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A file in the folder of path whose name equals path's name but for letter case: on the
// launcher's platform that is the same file.
std::optional<QString> existingFileLike(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = withTrailingSeparator(info.path());
    for (const QString &name : folderEntries(folder)) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder + name;
    }
    return std::nullopt;
}

// Names of an entry's keys and its id, built once per index: a load asks for the same names in
// every node, and building them anew would cost six strings per entry.
struct EntryNames
{
    QString id;
    std::array<QString, std::size(menufile::kAllEntryKeys)> keys;

    const QString &key(EntryKey k) const { return keys[size_t(k)]; }
};

const EntryNames &entryNames(int index)
{
    static std::deque<EntryNames> names; // references stay valid as it grows
    while (names.size() <= size_t(index)) {
        const int n = int(names.size());
        EntryNames added{QString::number(n), {}};
        for (EntryKey key : menufile::kAllEntryKeys)
            added.keys[size_t(key)] = entryKey(n, key);
        names.push_back(std::move(added));
    }
    return names[size_t(index)];
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

} // namespace

Tfmain::Tfmain(const QStringList &arguments, const QString &programDir, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::Tfmain>())
{
    ui->setupUi(this);
    // A line edit cuts longer text to 32767 characters, and the next save would store the cut.
    for (QLineEdit *edit : {ui->Name, ui->pfad, ui->param})
        edit->setMaxLength(std::numeric_limits<int>::max());
    setUpImages();
    setUpToolBar();
    setUpStatusBar();
    m_dlgo = new QFileDialog(this);
    m_dlgo->setObjectName(QStringLiteral("dlgo"));
    // Qt's own dialog, so it speaks the program's language wherever it runs.
    m_dlgo->setOption(QFileDialog::DontUseNativeDialog);

    ui->Splitter1->setCollapsible(0, true);
    ui->Splitter1->setCollapsible(1, false);
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    ui->Tree->setMinimumWidth(1);
    ui->Panel1->setMinimumWidth(kSplitterSnap);
    // The selection stays visible while the tree has no focus.
    QPalette palette = ui->Tree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ui->Tree->setPalette(palette);
    setTreeWidth(kDefaultTreeWidth);

    fitPanelToFont();

    wireCommands();

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    // An error while the menu loads is shown, and the window opens all the same.
    messages::guarded(this, [&] { FormCreate(arguments, programDir); });
}

Tfmain::~Tfmain() = default;

void Tfmain::fitPanelToFont()
{
    // The layout was made for a narrower font: where a label needs more room than it has, the
    // fields and everything right of the labels move over by the same amount.
    const std::initializer_list<QLabel *> labels{ui->Label5, ui->Label3, ui->Label4};
    int labelWidth = 0;
    for (QLabel *label : labels)
        labelWidth = qMax(labelWidth, label->sizeHint().width());
    const int shift = qMax(0, ui->Label5->x() + labelWidth + 4 - ui->Name->x());
    for (QWidget *child : ui->ed->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (std::find(labels.begin(), labels.end(), child) != labels.end())
            child->resize(labelWidth, child->height());
        else
            child->move(child->x() + shift, child->y());
    }
    for (QCheckBox *box : {ui->klappCheck, ui->encrypt, ui->NichtSchliessen})
        box->resize(qMax(box->width(), box->sizeHint().width()), box->height());
    ui->ed->setFixedSize(ui->ed->width() + shift, ui->ed->height());
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
    separator("ToolButton5");
    bar->addAction(ui->ToolButton1);

    for (QAction *action : ui->Bearbeiten1->actions()) {
        if (action->isSeparator())
            action->setObjectName(QStringLiteral("N1"));
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
    setTabOrder(previous, ui->Name);
}

void Tfmain::setUpStatusBar()
{
    m_statusFixed = new QLabel(QStringLiteral("Tarvik-Menü"), ui->Status);
    m_statusFixed->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusFixed->setFixedWidth(110);
    m_statusNote = new QLabel(ui->Status);
    m_statusNote->setObjectName(QStringLiteral("StatusPanel1"));
    m_statusNote->setAccessibleName(QStringLiteral("Statushinweis"));
    m_statusNote->setMinimumWidth(50);
    ui->Status->addWidget(m_statusFixed);
    ui->Status->addWidget(m_statusNote, 1);
}

void Tfmain::wireCommands()
{
    const std::pair<QAction *, void (Tfmain::*)()> commands[] = {
        {ui->btopen, &Tfmain::btopenClick},
        {ui->TarvikDateiffnen1, &Tfmain::btopenClick},
        {ui->Beenden1, &Tfmain::Beenden1Click},
        {ui->ToolButton1, &Tfmain::ToolButton1Click},
        {ui->itelbearbeiten1, &Tfmain::ToolButton1Click},
        {ui->VersionsInfo1, &Tfmain::VersionsInfo1Click},
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

    connect(ui->btProgramm, &QToolButton::clicked, this, guardedCommand(&Tfmain::btProgrammClick));
    connect(ui->btTSC, &QToolButton::clicked, this, guardedCommand(&Tfmain::btTSCClick));
    connect(ui->pfad, &QLineEdit::textChanged, this, guardedCommand(&Tfmain::pfadChange));
    // Only a mouse click shows an item; moving the selection with the keys does not.
    connect(ui->Tree, &QTreeWidget::itemClicked, this, guardedCommand(&Tfmain::TreeClick));
    connect(m_sublisten, &QComboBox::activated, this, guardedCommand(&Tfmain::SublistenChange));
    connect(ui->Splitter1, &QSplitter::splitterMoved, this,
            guardedCommand(&Tfmain::splitterReleased));
}

std::function<void()> Tfmain::guardedCommand(void (Tfmain::*handler)())
{
    // As the application's error handler would: an error is shown and the program goes on.
    return [this, handler] { messages::guarded(this, [this, handler] { (this->*handler)(); }); };
}

void Tfmain::prepareEntry()
{
    Eintraganlegen1Click();
}

void Tfmain::FormCreate(const QStringList &arguments, const QString &programDir)
{
    m_verschiebenAktiv = false;
    const QString name = arguments.size() == 1 ? arguments.first() : menufile::kDefaultMenuFile;
    const QString programFolder = withTrailingSeparator(programDir);
    // Only a folder counts; a file of that name does not.
    if (QFileInfo(programFolder + kDataFolder).isDir())
        m_datenPfad = programFolder + kDataFolder + QLatin1Char('/');
    else if (isInstalledProgramFolder(programFolder))
        m_datenPfad = perUserDataFolder();
    else
        m_datenPfad = programFolder;
    // An absolute path names the menu file itself; joined to the data folder it would name none.
    m_aktDatei = QDir::isAbsolutePath(name) ? name : m_datenPfad + name;
    LoadMenuFile(m_aktDatei);
}

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

void Tfmain::fillSublisten(const QString &path)
{
    // The sub-lists are the files "name.*" beside the menu file, itself included; a folder of
    // such a name is listed too. Names compare without letter case, as on the launcher's platform.
    const QString base = baseName(QFileInfo(path).fileName());
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

void Tfmain::LoadMenuFile(const QString &path)
{
    m_aktPfad = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    fillSublisten(path);

    const CaptionOrder order;
    Items nodes;
    {
        TIniFile ini(path);
        setTreeWidth(ini.ReadInteger(menufile::kConfigSection, kWidthKeyRead, kDefaultTreeWidth));
        setWindowTitle(QStringLiteral("%1 (%2)").arg(messages::kApplicationTitle, path));
        ui->Tree->clear();

        static const QString missing = QStringLiteral("*");
        for (const QString &letter : menufile::nodeLetters()) {
            Tdaten node;
            node.caption = ini.ReadString(letter, menufile::kRootKey, missing);
            if (node.caption == missing)
                break;
            node.section = letter;
            node.id = kNodeId;
            node.expand = ini.ReadBool(letter, menufile::kExpandKey, false);
            auto nodeItem = std::make_unique<TreeItem>(std::move(node));

            Items entries;
            for (int n = 0;; ++n) {
                const EntryNames &names = entryNames(n);
                Tdaten entry;
                entry.caption = ini.ReadString(letter, names.key(EntryKey::Caption), QString());
                if (entry.caption.isEmpty())
                    break;
                entry.path = ini.ReadString(letter, names.key(EntryKey::Program), QString());
                entry.scrambled = ini.ReadBool(letter, names.key(EntryKey::Scrambled), false);
                entry.keepOpen = ini.ReadBool(letter, names.key(EntryKey::KeepOpen), false);
                entry.parameters = ini.ReadString(letter, names.key(EntryKey::Params), QString());
                if (entry.scrambled)
                    entry.parameters = menufile::ScrambleParams(entry.parameters);
                entry.section = letter;
                entry.id = names.id;
                entries.push_back(std::make_unique<TreeItem>(std::move(entry)));
            }
            // Sorted while still outside the tree: no model signals, no repaints.
            order.sort(entries);
            nodeItem->addChildren(release(entries));
            nodes.push_back(std::move(nodeItem));
        }
    }
    order.sort(nodes);

    ui->Tree->setUpdatesEnabled(false);
    ui->Tree->addTopLevelItems(release(nodes));
    ui->Tree->expandAll();
    ui->Tree->setUpdatesEnabled(true);

    // A menu without nodes is a normal state (new file, last node deleted): the panel is emptied
    // so that no later command acts on an item that is gone.
    if (ui->Tree->topLevelItemCount() == 0) {
        resetPanel();
        return;
    }
    QTreeWidgetItem *first = ui->Tree->topLevelItem(0);
    ui->Tree->setCurrentItem(first);
    ui->Tree->scrollToItem(first);
    TreeClick();
}

void Tfmain::TreeClick()
{
    const QList<QTreeWidgetItem *> selected = ui->Tree->selectedItems();
    if (selected.isEmpty() || selected.first()->type() != QTreeWidgetItem::UserType)
        return;
    const Tdaten &daten = static_cast<const TreeItem *>(selected.first())->daten();
    ui->section->setText(daten.section);
    ui->id->setText(daten.id);
    ui->pfad->setText(daten.path);
    ui->param->setText(daten.parameters);
    ui->Name->setText(daten.caption);
    // Long paths show from their beginning, where the folder names tell them apart.
    for (QLineEdit *edit : {ui->pfad, ui->param, ui->Name})
        edit->setCursorPosition(0);
    ui->encrypt->setChecked(daten.scrambled);
    ui->klappCheck->setChecked(daten.expand);
    ui->NichtSchliessen->setChecked(daten.keepOpen);

    const bool entry = ui->id->text() != kNodeId;
    ui->btProgramm->setEnabled(entry);
    ui->btTSC->setEnabled(entry);
    ui->NichtSchliessen->setVisible(entry);
    ui->encrypt->setVisible(entry);
    ui->klappCheck->setVisible(!entry);
    ui->ed->setTitle(QStringLiteral("Bearbeiten [%1|%2]").arg(daten.section, daten.id));
}

void Tfmain::resetPanel()
{
    ui->section->setText(kInitialSection);
    ui->id->setText(kInitialId);
    ui->section->setEnabled(false);
    ui->id->setEnabled(false);
    ui->Name->clear();
    ui->pfad->clear();
    ui->param->clear();
    for (QCheckBox *box : {ui->klappCheck, ui->encrypt, ui->NichtSchliessen}) {
        box->setChecked(false);
        box->setVisible(true);
    }
    ui->btProgramm->setEnabled(false);
    ui->btTSC->setEnabled(false);
    ui->ed->setTitle(QStringLiteral("Bearbeiten"));
}

bool Tfmain::panelShowsItem() const
{
    return ui->section->text() != kInitialSection;
}

bool Tfmain::refuseEmptyPanel()
{
    if (panelShowsItem())
        return false;
    messages::showPlain(this, kChooseBranch);
    return true;
}

void Tfmain::pfadChange()
{
    ui->pfad->setToolTip(ui->pfad->text());
}

void Tfmain::btopenClick()
{
    m_dlgo->setFileMode(QFileDialog::AnyFile);
    m_dlgo->setAcceptMode(QFileDialog::AcceptOpen);
    m_dlgo->setNameFilters(
        {QStringLiteral("Tarvik-Dateien (*.ini)"), QStringLiteral("Alle Dateien (*)")});
    m_dlgo->setDefaultSuffix(QStringLiteral("ini"));
    if (auto *fileName = m_dlgo->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        fileName->clear();
    if (ModalRunner::current().exec(*m_dlgo) != QDialog::Accepted)
        return;
    const QStringList chosen = m_dlgo->selectedFiles();
    if (chosen.isEmpty())
        return;
    m_aktDatei = chosen.first();
    LoadMenuFile(m_aktDatei);
}

void Tfmain::btProgrammClick()
{
    m_dlgo->setFileMode(QFileDialog::AnyFile);
    m_dlgo->setAcceptMode(QFileDialog::AcceptOpen);
    m_dlgo->setNameFilters(
        {QStringLiteral("Programme (*.exe)"), QStringLiteral("Alle Dateien (*)")});
    m_dlgo->setDefaultSuffix(QString());
    if (auto *fileName = m_dlgo->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        fileName->clear();
    if (ModalRunner::current().exec(*m_dlgo) != QDialog::Accepted)
        return;
    const QStringList chosen = m_dlgo->selectedFiles();
    if (!chosen.isEmpty())
        ui->pfad->setText(chosen.first());
}

void Tfmain::SublistenChange()
{
    const QString name = m_sublisten->currentText();
    if (name.isEmpty())
        return;
    m_aktDatei = m_aktPfad + name;
    LoadMenuFile(m_aktDatei);
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
    TIniFile ini(m_aktDatei);
    ini.WriteInteger(menufile::kConfigSection, kWidthKeyWritten, width);
    m_statusNote->setText(QStringLiteral("Neue Breite: %1 Pixel").arg(width));
}

void Tfmain::ToolButton1Click()
{
    // A new dialog each time, filled afresh from the file; the tree is not reloaded afterwards.
    TFallgemein dialog(m_aktDatei, this);
    ModalRunner::current().exec(dialog);
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
    if (refuseEmptyPanel())
        return;
    if (ui->Name->text().isEmpty())
        ui->Name->setText(QStringLiteral("(Unbenannt)"));
    {
        TIniFile ini(m_aktDatei);
        const QString section = ui->section->text();
        const QString id = ui->id->text();
        // One file write for the whole item: it is stored completely or not at all.
        ini.BeginUpdate();
        if (id != kNodeId) {
            ini.WriteString(section, entryKey(id, EntryKey::Caption), ui->Name->text());
            ini.WriteString(section, entryKey(id, EntryKey::Program), ui->pfad->text());
            QString params = ui->param->text();
            if (ui->encrypt->isChecked())
                params = menufile::ScrambleParams(params);
            ini.WriteBool(section, entryKey(id, EntryKey::Scrambled), ui->encrypt->isChecked());
            ini.WriteString(section, entryKey(id, EntryKey::Params), params);
            ini.WriteBool(section, entryKey(id, EntryKey::KeepOpen),
                          ui->NichtSchliessen->isChecked());
        } else {
            ini.WriteString(section, menufile::kRootKey, ui->Name->text());
            ini.WriteBool(section, menufile::kExpandKey, ui->klappCheck->isChecked());
        }
        ini.EndUpdate();
    }
    ui->section->setEnabled(true);
    ui->id->setEnabled(true);
    LoadMenuFile(m_aktDatei);
}

void Tfmain::Knotenanlegen1Click()
{
    const std::optional<QString> caption = messages::inputText(
        this, QStringLiteral("Neue Überschrift eingeben"), QStringLiteral("Beschriftung:"), 255);
    if (!caption)
        return;
    {
        TIniFile ini(m_aktDatei);
        const std::optional<QString> letter = menuops::freeNodeLetter(ini);
        if (!letter) {
            messages::showPlain(this,
                                QStringLiteral("Es kann kein weiterer Knoten angelegt werden!"));
            return;
        }
        ini.WriteString(*letter, menufile::kRootKey, *caption);
    }
    LoadMenuFile(m_aktDatei);
}

// Readies the panel for a new entry of the node in section at the first free index; the save
// writes it.
void Tfmain::takeFreeEntryIndex()
{
    ui->section->setEnabled(false);
    ui->id->setEnabled(false);
    int index = 0;
    {
        TIniFile ini(m_aktDatei);
        index = menuops::freeEntryIndex(ini, ui->section->text());
    }
    ui->id->setText(QString::number(index));
    ui->btProgramm->setEnabled(true);
    ui->btTSC->setEnabled(true);
}

bool Tfmain::Eintraganlegen1Click()
{
    if (ui->id->text() != kNodeId) {
        messages::showPlain(this, kChooseBranch);
        return false;
    }
    ui->Name->clear();
    takeFreeEntryIndex();
    return true;
}

void Tfmain::btdeleteClick()
{
    if (refuseEmptyPanel())
        return;
    if (!m_verschiebenAktiv) {
        const QString question =
            ui->id->text() == kNodeId
                ? QStringLiteral("Sind Sie sicher, das sie den Knoten >> %1 << inklusive aller "
                                 "Untereinträge löschen wollen?")
                : QStringLiteral("Wollen Sie wirklich den Eintrag>> %1 << löschen");
        if (!messages::confirm(this, question.arg(ui->Name->text())))
            return;
    }
    deleteShownItem(m_aktDatei);
    LoadMenuFile(m_aktDatei);
}

void Tfmain::deleteShownItem(const QString &menuFile)
{
    const QString section = ui->section->text();
    const QString id = ui->id->text();
    if (id == kNodeId) {
        menuops::deleteNodeCompacting(menuFile, section);
        return;
    }
    const int index = StrToInt(id);
    TIniFile ini(menuFile);
    menuops::deleteEntryCompacting(ini, section, index);
}

void Tfmain::showMovePending(bool pending)
{
    ui->btmove->setIcon(m_imageList1.at(pending ? MovePending : Move));
    ui->btmove->setChecked(pending);
}

void Tfmain::endMove()
{
    m_verschiebenAktiv = false;
    showMovePending(false);
    m_statusNote->clear();
}

bool Tfmain::moveSourceStands()
{
    if (!m_merkKeys.exists())
        return false;
    bool number = false;
    const int index = m_merkId.toInt(&number);
    if (!number)
        return false;
    TIniFile ini(m_merkDatei);
    return menuops::readEntryKeys(ini, m_merkSection, index) == m_merkKeys;
}

void Tfmain::btmoveClick()
{
    if (!m_verschiebenAktiv) {
        // The button toggles itself when clicked; it stays up unless the move starts.
        showMovePending(false);
        if (refuseEmptyPanel())
            return;
        if (ui->id->text() == kNodeId) {
            messages::showPlain(this, QStringLiteral("Knoten können nicht verschoben werden!"));
            return;
        }
        m_merkName = ui->Name->text();
        m_merkPfad = ui->pfad->text();
        m_merkParam = ui->param->text();
        m_merkSection = ui->section->text();
        m_merkId = ui->id->text();
        // Where the entry stands and what it holds, so the second click deletes only this entry.
        m_merkDatei = m_aktDatei;
        {
            TIniFile ini(m_merkDatei);
            m_merkKeys = menuops::readEntryKeys(ini, m_merkSection, StrToInt(m_merkId));
        }
        m_verschiebenAktiv = true;
        showMovePending(true);
        m_statusNote->setText(
            QStringLiteral("Wählen Sie nun den neuen Zweig und klicken erneut auf Verschieben."));
        return;
    }

    showMovePending(true);
    if (!moveSourceStands()) {
        endMove();
        messages::showPlain(this, QStringLiteral("Der Eintrag steht nicht mehr an der Stelle, an "
                                                 "der er zum Verschieben vorgemerkt wurde. Das "
                                                 "Verschieben wurde abgebrochen."));
        return;
    }
    // Refused when no node is shown: the move stays pending, so the user can pick one.
    if (!Eintraganlegen1Click())
        return;
    ui->Name->setText(m_merkName);
    ui->pfad->setText(m_merkPfad);
    ui->param->setText(m_merkParam);
    EsaveClick();

    // The copy is stored; from here on a failure leaves the entry twice, never lost.
    endMove();
    ui->id->setText(m_merkId);
    ui->section->setText(m_merkSection);
    deleteShownItem(m_merkDatei);
    LoadMenuFile(m_aktDatei);
}

void Tfmain::ToolButton7Click()
{
    if (refuseEmptyPanel())
        return;
    if (ui->id->text() == kNodeId) {
        messages::showPlain(this,
                            QStringLiteral("Wählen Sie erst einen Eintrag zum Duplizieren aus!"));
        return;
    }
    takeFreeEntryIndex();
    ui->Name->setText(QLatin1Char('_') + ui->Name->text());
    EsaveClick();
}

void Tfmain::ToolButton4Click()
{
    if (refuseEmptyPanel())
        return;
    if (ui->id->text() != kNodeId) {
        messages::showPlain(this, kChooseBranch);
        return;
    }
    const QString caption = ui->Name->text();
    if (const std::optional<QString> problem = menuops::exportNameProblem(caption)) {
        messages::showPlain(this, *problem);
        return;
    }
    const QString target = menuops::exportFileName(m_aktDatei, caption);
    if (const std::optional<QString> existing = existingFileLike(target)) {
        messages::showPlain(this, QStringLiteral("Die Datei %1 gibt es bereits. Damit nichts "
                                                 "überschrieben wird, wurde nicht exportiert.")
                                      .arg(*existing));
        return;
    }
    {
        TIniFile source(m_aktDatei);
        TIniFile targetFile(target);
        menuops::copyNodeToFile(source, ui->section->text(), targetFile, caption,
                                ui->klappCheck->isChecked());
    }
    btdeleteClick();
}

void Tfmain::btTSCClick()
{
    if (refuseEmptyPanel())
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
