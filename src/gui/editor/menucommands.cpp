// SPDX-License-Identifier: MIT
#include "menucommands.h"

#include <QDialog>
#include <QWidget>

#include <algorithm>

#include "gui/dialogs/menucheckdialog.h"
#include "gui/dialogs/messages.h"
#include "gui/dialogs/modalrunner.h"
#include "gui/dialogs/tfallgemein.h"
#include "gui/dialogs/tfmstsc.h"
#include "gui/editor/undohistory.h"
#include "gui/state/transferplan.h"
#include "model/menufile.h"

namespace {

using Kind = PanelState::Kind;
using Need = WindowState::Need;

const QString kDeleteNode = QStringLiteral(
    "Sind Sie sicher, dass Sie den Knoten >> %1 << inklusive aller Untereinträge löschen wollen?");

// Whether the panel still shows the item it showed when a command asked.
bool sameItem(const PanelState &now, const PanelState &asked)
{
    if (now.kind != asked.kind || now.place != asked.place ||
        now.ref.has_value() != asked.ref.has_value())
        return false;
    return !now.ref || (now.ref->file == asked.ref->file && now.ref->seen == asked.ref->seen);
}

// After a delete the menu starts from its first node.
std::optional<ItemPlace> firstNode(const menu::Result &)
{
    return std::nullopt;
}

} // namespace

MenuCommands::MenuCommands(QWidget *window, WindowState &state) : m_window(window), m_state(state)
{
}

std::optional<ItemPlace> MenuCommands::written(const menu::Result &result)
{
    return ItemPlace{result.letter, result.index};
}

bool MenuCommands::mayLeave()
{
    if (!m_state.asksBeforeLeaving())
        return true;
    // Saved as the question names it, whatever arrives while it is open.
    const PanelState panel = m_state.panel();
    const View before = m_state.view();
    const QString caption =
        panel.kind == Kind::NewEntry ? panel.fields.caption : panel.shown.caption;
    switch (messages::askSave(m_window, caption)) {
    case messages::SaveAnswer::Save:
        return save(panel, before);
    case messages::SaveAnswer::Discard:
        m_state.discardEdits();
        return true;
    case messages::SaveAnswer::Cancel:
        break;
    }
    return false;
}

bool MenuCommands::save()
{
    if (refuse(Need::Item))
        return false;
    return save(m_state.panel(), m_state.view());
}

bool MenuCommands::save(PanelState panel, const View &before)
{
    if (panel.fields.caption.isEmpty()) {
        panel.fields.caption = QStringLiteral("(Unbenannt)");
        if (sameItem(m_state.panel(), panel))
            m_state.edit(panel.fields);
    }
    const bool isNew = panel.kind == Kind::NewEntry;
    return apply(
        QStringLiteral("Speichern von »%1«").arg(panel.fields.caption), before,
        [&] {
            const menu::ItemRef item = WindowState::refOrGone(panel);
            return isNew ? menu::saveNewEntry(item, panel.fields)
                         : menu::saveItem(item, panel.fields);
        },
        written);
}

void MenuCommands::createNode()
{
    // Asking for a caption that cannot be stored would waste the user's typing.
    if (const std::optional<QString> refusal =
            menu::nodeRefusal(m_state.file(), m_state.openedAsNew())) {
        messages::showPlain(m_window, *refusal);
        return;
    }
    // The new node is shown afterwards, in place of the edits.
    if (!mayLeave())
        return;
    const QString file = m_state.file();
    const bool openedAsNew = m_state.openedAsNew();
    const View before = m_state.view();
    const std::optional<QString> caption =
        messages::inputText(m_window, QStringLiteral("Neue Überschrift eingeben"),
                            QStringLiteral("Beschriftung:"), 255);
    if (!caption)
        return;
    apply(
        QStringLiteral("Anlegen von »%1«").arg(*caption), before,
        [&] { return menu::createNode(file, *caption, openedAsNew); }, written);
}

bool MenuCommands::prepareEntry()
{
    // The node's own edits would be cleared for the new entry's fields.
    if (refuse(Need::Node) || !mayLeave())
        return false;
    // The save takes the first free index as the file then stands; this one is shown meanwhile.
    m_state.prepareEntry(menu::freeEntryIndex(m_state.file(), m_state.panel().place.letter));
    return true;
}

void MenuCommands::deleteItem()
{
    if (m_state.panel().kind == Kind::Several) {
        deleteItems();
        return;
    }
    if (refuse(Need::Stored))
        return;
    // What the question names is what is deleted, or nothing, whatever arrives while it is open.
    const menu::ItemRef item = m_state.shownOrGone();
    const PanelState panel = m_state.panel();
    const View before = m_state.view();
    if (!m_state.move()) {
        const QString question =
            panel.place.isNode()
                ? kDeleteNode
                : QStringLiteral("Wollen Sie wirklich den Eintrag >> %1 << löschen?");
        if (!messages::confirm(m_window, question.arg(panel.fields.caption)))
            return;
    }
    apply(
        QStringLiteral("Löschen von »%1«").arg(panel.shown.caption), before,
        [&] { return menu::deleteItem(item); }, firstNode);
}

void MenuCommands::deleteItems()
{
    const std::vector<menu::ItemRef> items = transferplan::selectedItems(m_state);
    const bool nodes = std::any_of(items.begin(), items.end(),
                                   [](const menu::ItemRef &item) { return item.isNode(); });
    const QString question =
        nodes ? QStringLiteral("Sind Sie sicher, dass Sie die ausgewählten %1 inklusive aller "
                               "Untereinträge löschen wollen?")
              : QStringLiteral("Wollen Sie wirklich die ausgewählten %1 löschen?");
    const View before = m_state.view();
    if (!m_state.move() &&
        !messages::confirm(m_window, question.arg(transferplan::itemsText(items))))
        return;
    apply(
        QStringLiteral("Löschen von %1").arg(transferplan::itemsText(items, true)), before,
        [&] { return menu::deleteItems(items); }, firstNode);
}

void MenuCommands::move()
{
    if (!m_state.move()) {
        if (!refuse(Need::EntryToMove))
            m_state.startMove();
        return;
    }
    // Refused when no node is shown: the move stays pending, so the user can pick one.
    if (refuse(Need::Node))
        return;
    const WindowState::PendingMove move = *m_state.move();
    m_state.endMove();
    // Undone, the entry is back where the move took it from.
    const View before{move.source.file, ItemPlace{move.source.letter, move.source.index}};
    apply(
        QStringLiteral("Verschieben von »%1«").arg(move.fields.caption), before,
        [&] { return menu::moveEntry(move.source, m_state.shownOrGone(), move.fields); }, written);
}

void MenuCommands::duplicate()
{
    if (refuse(Need::EntryToDuplicate))
        return;
    const menu::Fields fields = m_state.panel().fields;
    apply(
        QStringLiteral("Duplizieren von »%1«").arg(fields.caption), m_state.view(),
        [&] { return menu::duplicateEntry(m_state.shownOrGone(), fields); }, written);
}

void MenuCommands::exportNode()
{
    if (refuse(Need::Node))
        return;
    const menu::Fields fields = m_state.panel().fields;
    menu::exportTarget(m_state.file(),
                       fields.caption); // refuses before anything is asked or written
    const menu::ItemRef item = m_state.shownOrGone();
    const ItemPlace node = m_state.panel().place;
    const View before = m_state.view();
    // Answered "&Nein", the node stays and the sub-list is a copy of it.
    const bool remove =
        m_state.move() || messages::confirm(m_window, kDeleteNode.arg(fields.caption));
    apply(
        QStringLiteral("Export von »%1«").arg(fields.caption), before,
        [&] { return menu::exportNode(item, fields.caption, fields.expand, remove); },
        // The window stays on the menu file; the sub-list is listed in the box.
        [&](const menu::Result &) { return remove ? std::nullopt : std::optional(node); });
}

void MenuCommands::remoteDesktop()
{
    if (refuse(Need::Item))
        return;
    Tfmstsc dialog(m_window);
    // Only a remote-desktop entry's parameters are a switch line worth reading back. A line that
    // cannot be read ends the command here, before the dialog shows or stores anything.
    PanelState panel = m_state.panel();
    const View before = m_state.view();
    if (menufile::isTscPath(panel.fields.program))
        dialog.ReadSwitchLine(panel.fields.params);
    if (ModalRunner::current().exec(dialog) != QDialog::Accepted)
        return;
    panel.fields.params = dialog.switchLine();
    panel.fields.program = menufile::kTscMarker;
    if (sameItem(m_state.panel(), panel))
        m_state.edit(panel.fields);
    save(panel, before);
}

void MenuCommands::generalSettings()
{
    // A new dialog each time, filled afresh from the file; the tree is not reloaded afterwards.
    TFallgemein dialog(m_state.file(), m_window);
    ModalRunner::current().exec(dialog);
    m_history->record({QStringLiteral("Allgemeine Einstellungen"), dialog.changes(), m_state.view(),
                       m_state.view()});
    m_state.storedSettings(); // the tree shows nothing of these settings
}

void MenuCommands::menuCheck()
{
    auto *dialog = new MenuCheckDialog(m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("MenuCheck"));
    dialog->setFile(m_state.file());
    QObject::connect(dialog, &MenuCheckDialog::showItem, m_window,
                     [this](const QString &file, const QString &letter, int index) {
                         messages::guarded(m_window, [&] {
                             if (!mayLeave())
                                 return;
                             std::optional<ItemPlace> place;
                             if (!letter.isEmpty())
                                 place = ItemPlace{letter, index};
                             m_state.show({file, place}, true);
                         });
                     });
    QObject::connect(dialog, &MenuCheckDialog::repairRequested, m_window, [this, dialog] {
        messages::guarded(m_window, [&] {
            // The repair renumbers the file: edits in the panel would lose their item.
            if (!mayLeave())
                return;
            const QString file = dialog->file();
            const View before = m_state.view();
            menucheck::RepairResult repaired;
            try {
                repaired = menucheck::repair(file, dialog->checkedBytes());
            } catch (const transaction::EChangedOutside &changed) {
                messages::showPlain(m_window, changed.message());
                m_state.refresh();
                dialog->setFile(file);
                return;
            }
            m_history->record(
                {QStringLiteral("Reparieren"), repaired.changes, before, View{file, std::nullopt}});
            m_state.show({file, std::nullopt}, false);
            dialog->setFile(file);
        });
    });
    dialog->show();
}

bool MenuCommands::refuse(Need need)
{
    const std::optional<QString> message = m_state.refusal(need);
    if (message)
        messages::showPlain(m_window, *message);
    return message.has_value();
}

bool MenuCommands::apply(const QString &name, const View &before,
                         const std::function<menu::Result()> &command, const PlaceAfter &placeAfter)
{
    menu::Result result;
    try {
        result = command();
    } catch (const transaction::EChangedOutside &changed) {
        messages::showPlain(m_window, changed.message());
        m_state.refresh();
        return false;
    }
    const View after{m_state.file(), placeAfter(result)};
    m_history->record({name, result.changes, before, after});
    m_state.show(after, true);
    return true;
}
