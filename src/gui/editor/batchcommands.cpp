// SPDX-License-Identifier: MIT
#include "batchcommands.h"
#include "ui_tfmain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "gui/dialogs/messages.h"
#include "gui/dialogs/modalrunner.h"
#include "gui/dialogs/replacedialog.h"
#include "gui/editor/menucommands.h"
#include "gui/editor/menutree.h"
#include "gui/editor/undohistory.h"
#include "gui/state/transferplan.h"

namespace {

QMimeData *mimeOf(const menuclip::Clip &clip)
{
    auto *data = new QMimeData;
    data->setData(menuclip::kMimeType, menuclip::toMime(clip));
    data->setText(menuclip::toText(clip));
    return data;
}

// "»Mail«", "3 Einträgen": what a step of the history names.
QString namesOf(const menuclip::Clip &clip)
{
    const QString caption = clip.entries.empty()
                                ? (clip.nodes.empty() ? QString() : clip.nodes.front().caption)
                                : clip.entries.front().fields.caption;
    return transferplan::itemsText(int(clip.nodes.size()), int(clip.entries.size()), caption, true);
}

} // namespace

BatchCommands::BatchCommands(Ui::Tfmain &ui, QWidget *window, WindowState &state,
                             MenuCommands &commands, MenuTree *tree)
    : QObject(window), m_window(window), m_state(state), m_commands(commands)
{
    connect(ui.Ausschneiden1, &QAction::triggered, this, [this] { guarded(&BatchCommands::cut); });
    connect(ui.Kopieren1, &QAction::triggered, this, [this] { guarded(&BatchCommands::copy); });
    connect(ui.Einfuegen1, &QAction::triggered, this, [this] { guarded(&BatchCommands::paste); });
    connect(ui.Ersetzen1, &QAction::triggered, this, [this] { guarded(&BatchCommands::replace); });
    tree->setDragAndDrop(&state, [this] {
        QMimeData *data = nullptr;
        messages::guarded(m_window, [&] { data = selectionData(false); });
        return data;
    });
    connect(tree, &MenuTree::dropped, this,
            [this](const menuclip::Clip &clip, const std::optional<ItemPlace> &under, bool copy) {
                // A drop from another editor under an open question waits until it is answered.
                ModalRunner::whenClosed(this, [this, clip, under, copy] {
                    messages::guarded(m_window, [&] { drop(clip, under, copy); });
                });
            });
}

void BatchCommands::guarded(void (BatchCommands::*command)())
{
    messages::guarded(m_window, [&] { (this->*command)(); });
}

void BatchCommands::cut()
{
    if (QMimeData *data = selectionData(true))
        QGuiApplication::clipboard()->setMimeData(data);
}

void BatchCommands::copy()
{
    if (QMimeData *data = selectionData(false))
        QGuiApplication::clipboard()->setMimeData(data);
}

void BatchCommands::paste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    std::optional<menuclip::Clip> clip;
    if (data && data->hasFormat(menuclip::kMimeType))
        clip = menuclip::fromMime(data->data(menuclip::kMimeType));
    // Text without entries, or none at all, is refused with what a paste takes.
    if (!clip)
        clip = menuclip::fromText(data ? data->text() : QString());
    // The pasted items are shown afterwards, in place of the edits.
    if (!m_commands.mayLeave())
        return;
    const menu::Target target = transferplan::pasteTarget(m_state);
    bool wrote = false;
    m_commands.apply(
        QStringLiteral("Einfügen von %1").arg(namesOf(*clip)), m_state.view(),
        [&] {
            menu::Result result = menuclip::paste(*clip, target);
            wrote = !result.changes.empty();
            return result;
        },
        MenuCommands::written);
    // The cut items now stand where they were pasted: pasted again, they are a copy.
    if (clip->cut && wrote) {
        clip->cut = false;
        QGuiApplication::clipboard()->setMimeData(mimeOf(*clip));
    }
}

void BatchCommands::drop(const menuclip::Clip &clip, const std::optional<ItemPlace> &under,
                         bool copy)
{
    // The dropped items are shown afterwards, in place of the edits.
    if (!m_commands.mayLeave())
        return;
    const transferplan::Drop plan = transferplan::planDrop(m_state, clip, under, copy);
    if (plan.action == transferplan::Action::Refused)
        return;
    const bool move = plan.action == transferplan::Action::Move;
    const QString name = plan.items.empty() ? QStringLiteral("Einfügen von %1").arg(namesOf(clip))
                                            : (move ? QStringLiteral("Verschieben von %1")
                                                    : QStringLiteral("Kopieren von %1"))
                                                  .arg(transferplan::itemsText(plan.items, true));
    m_commands.apply(
        name, m_state.view(),
        [&] {
            if (plan.items.empty())
                return menuclip::paste(clip, plan.target);
            return move ? menu::moveItems(plan.items, plan.target)
                        : menu::copyItems(plan.items, plan.target);
        },
        MenuCommands::written);
}

void BatchCommands::replace()
{
    // The replace shows the files anew, in place of the edits.
    if (!m_commands.mayLeave())
        return;
    ReplaceDialog dialog(
        m_state.file(),
        [this](const menureplace::Plan &plan, const std::vector<size_t> &chosen) {
            const View view = m_state.view();
            const menureplace::Outcome done = menureplace::apply(plan, chosen);
            m_commands.history()->record({QStringLiteral("Ersetzen von »%1« durch »%2«")
                                              .arg(plan.options.find, plan.options.replacement),
                                          done.result.changes, view, view});
            m_state.refresh();
            return done;
        },
        m_window);
    ModalRunner::current().exec(dialog);
}

QMimeData *BatchCommands::selectionData(bool cut)
{
    if (m_commands.refuse(WindowState::Need::StoredItems))
        return nullptr;
    try {
        return mimeOf(menuclip::collect(transferplan::selectedItems(m_state), cut));
    } catch (const transaction::EChangedOutside &changed) {
        messages::showPlain(m_window, changed.message());
        m_state.refresh();
        return nullptr;
    }
}
