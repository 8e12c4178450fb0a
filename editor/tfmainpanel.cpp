// SPDX-License-Identifier: MIT
// The editor panel: showing the current tree item, the fields a node or an entry offers, and
// edits not yet saved when the user leaves the item.
#include "tfmain.h"
#include "ui_tfmain.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

#include "menulayout.h"
#include "messages.h"
#include "treeitem.h"

namespace {

using menufile::kNodeId;

// What the hidden fields hold while no item is shown.
const QString kInitialSection = QStringLiteral("section");
const QString kInitialId = QStringLiteral("id");

} // namespace

void Tfmain::currentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (!current || current->type() != QTreeWidgetItem::UserType)
        return;
    const Tdaten chosen = static_cast<const TreeItem *>(current)->daten();
    if (!maySwitchItem()) {
        const QSignalBlocker blocker(ui->Tree);
        ui->Tree->setCurrentItem(previous);
        return;
    }
    // A save in between rebuilt the tree: the chosen item is found again by its place.
    selectItem({chosen.section, chosen.id == kNodeId ? menu::kNodeIndex : chosen.id.toInt()});
}

bool Tfmain::maySwitchItem()
{
    // Edits typed before a move's first click travel with the move.
    if (!panelEdited() || m_move)
        return true;
    const QString caption = m_entryPrepared ? ui->Name->text() : m_shown->caption;
    switch (messages::askSave(this, caption)) {
    case messages::SaveAnswer::Save:
        return save();
    case messages::SaveAnswer::Discard:
        return true;
    case messages::SaveAnswer::Cancel:
        break;
    }
    return false;
}

void Tfmain::markEdited()
{
    if (!m_shown)
        return;
    const QString title = QStringLiteral("Bearbeiten [%1|%2]").arg(m_shown->section, m_shown->id);
    ui->ed->setTitle(panelEdited() ? title + QStringLiteral(" *") : title);
}

void Tfmain::TreeClick()
{
    const QList<QTreeWidgetItem *> selected = ui->Tree->selectedItems();
    if (selected.isEmpty() || selected.first()->type() != QTreeWidgetItem::UserType)
        return;
    showDaten(static_cast<const TreeItem *>(selected.first())->daten());
}

void Tfmain::showDaten(const Tdaten &daten)
{
    m_shown = daten;
    // What the file held when shown: every command checks the file still holds it.
    m_shownRef = refOf(daten);
    m_entryPrepared = false;
    ui->section->setText(daten.section);
    ui->id->setText(daten.id);
    setPanelFields({daten.caption, daten.path, daten.parameters, daten.scrambled, daten.keepOpen,
                    daten.expand});
    setEntryLayout(daten.id != kNodeId);
    ui->ed->setTitle(QStringLiteral("Bearbeiten [%1|%2]").arg(daten.section, daten.id));
}

void Tfmain::setEntryLayout(bool entry)
{
    // A node stores only its caption and "ausklappen": nothing typed elsewhere may be dropped.
    for (QWidget *field :
         {static_cast<QWidget *>(ui->pfad), static_cast<QWidget *>(ui->param),
          static_cast<QWidget *>(ui->btProgramm), static_cast<QWidget *>(ui->btTSC)})
        field->setEnabled(entry);
    ui->NichtSchliessen->setVisible(entry);
    ui->encrypt->setVisible(entry);
    ui->klappCheck->setVisible(!entry);
}

void Tfmain::setPanelFields(const menu::Fields &fields)
{
    ui->Name->setText(fields.caption);
    ui->pfad->setText(fields.program);
    ui->param->setText(fields.params);
    // Long paths show from their beginning, where the folder names tell them apart.
    for (QLineEdit *edit : {ui->pfad, ui->param, ui->Name})
        edit->setCursorPosition(0);
    ui->encrypt->setChecked(fields.scrambled);
    ui->NichtSchliessen->setChecked(fields.keepOpen);
    ui->klappCheck->setChecked(fields.expand);
}

void Tfmain::resetPanel()
{
    m_shown.reset();
    m_shownRef.reset();
    m_entryPrepared = false;
    ui->section->setText(kInitialSection);
    ui->id->setText(kInitialId);
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

menu::Fields Tfmain::panelFields() const
{
    return {ui->Name->text(),
            ui->pfad->text(),
            ui->param->text(),
            ui->encrypt->isChecked(),
            ui->NichtSchliessen->isChecked(),
            ui->klappCheck->isChecked()};
}

bool Tfmain::panelEdited() const
{
    if (!m_shown)
        return false;
    const menu::Fields f = panelFields();
    if (m_entryPrepared)
        return !f.caption.isEmpty() || !f.program.isEmpty() || !f.params.isEmpty() || f.scrambled ||
               f.keepOpen;
    return f.caption != m_shown->caption || f.program != m_shown->path ||
           f.params != m_shown->parameters || f.scrambled != m_shown->scrambled ||
           f.keepOpen != m_shown->keepOpen || f.expand != m_shown->expand;
}
