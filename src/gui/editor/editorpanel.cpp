// SPDX-License-Identifier: MIT
#include "editorpanel.h"
#include "ui_tfmain.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollArea>
#include <QToolButton>

#include <limits>

#include "gui/state/transferplan.h"
#include "model/menufile.h"

namespace {

using Kind = PanelState::Kind;

// What the hidden fields hold while no item is shown.
const QString kInitialSection = QStringLiteral("section");
const QString kInitialId = QStringLiteral("id");

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

void setText(QLineEdit *edit, const QString &text)
{
    if (edit->text() == text)
        return;
    edit->setText(text);
    // Long paths show from their beginning, where the folder names tell them apart.
    edit->setCursorPosition(0);
}

} // namespace

EditorPanel::EditorPanel(Ui::Tfmain &ui, QMainWindow *window) : QObject(window), ui(ui)
{
    // A line edit cuts longer text to 32767 characters, and the next save would store the cut.
    for (QLineEdit *edit : {ui.Name, ui.pfad, ui.param}) {
        edit->setMaxLength(std::numeric_limits<int>::max());
        connect(edit, &QLineEdit::textChanged, this, &EditorPanel::reportEdit);
    }
    for (QCheckBox *box : {ui.klappCheck, ui.encrypt, ui.NichtSchliessen})
        connect(box, &QCheckBox::toggled, this, &EditorPanel::reportEdit);
    connect(ui.pfad, &QLineEdit::textChanged, this, &EditorPanel::pfadChange);
    // Long texts show in full as a tooltip.
    for (QLineEdit *edit : {ui.Name, ui.param})
        connect(edit, &QLineEdit::textChanged, edit, &QLineEdit::setToolTip);
    fitToFont(window);
    m_count = new QLabel(ui.ed);
    m_count->setObjectName(QStringLiteral("Auswahl"));
    m_count->setWordWrap(true);
    m_count->hide();
}

void EditorPanel::render(const PanelState &panel, bool edited)
{
    m_rendering = true;
    QString title = QStringLiteral("Bearbeiten");
    switch (panel.kind) {
    case Kind::Empty:
    case Kind::Several:
        ui.section->setText(kInitialSection);
        ui.id->setText(kInitialId);
        setFields({});
        setLayout(true, false);
        // Every box shows, as none belongs to an item.
        ui.klappCheck->setVisible(true);
        if (panel.kind == Kind::Several)
            title = QStringLiteral("Bearbeiten (%1 ausgewählt)").arg(panel.count);
        showCount(panel);
        break;
    case Kind::Item:
    case Kind::NewEntry: {
        const bool node = panel.kind == Kind::Item && panel.place.isNode();
        const int index = panel.kind == Kind::NewEntry ? panel.newIndex : panel.place.index;
        ui.section->setText(panel.place.letter);
        ui.id->setText(node ? menufile::kNodeId : QString::number(index));
        setFields(panel.fields);
        setLayout(!node, true);
        showCount(panel);
        // A new entry still names its node: nothing of it is stored yet.
        title = QStringLiteral("Bearbeiten [%1|%2]")
                    .arg(panel.place.letter,
                         panel.place.isNode() ? menufile::kNodeId : QString::number(index));
        if (edited)
            title += QStringLiteral(" *");
        break;
    }
    }
    if (ui.ed->title() != title)
        ui.ed->setTitle(title);
    m_rendering = false;
}

menu::Fields EditorPanel::fields() const
{
    return {ui.Name->text(),
            ui.pfad->text(),
            ui.param->text(),
            ui.encrypt->isChecked(),
            ui.NichtSchliessen->isChecked(),
            ui.klappCheck->isChecked()};
}

void EditorPanel::focusName()
{
    ui.Name->setFocus(Qt::OtherFocusReason);
}

void EditorPanel::pfadChange()
{
    ui.pfad->setToolTip(ui.pfad->text());
}

void EditorPanel::setFields(const menu::Fields &fields)
{
    setText(ui.Name, fields.caption);
    setText(ui.pfad, fields.program);
    setText(ui.param, fields.params);
    ui.encrypt->setChecked(fields.scrambled);
    ui.NichtSchliessen->setChecked(fields.keepOpen);
    ui.klappCheck->setChecked(fields.expand);
}

void EditorPanel::setLayout(bool entry, bool enabled)
{
    ui.Name->setEnabled(enabled);
    for (QWidget *field : {static_cast<QWidget *>(ui.pfad), static_cast<QWidget *>(ui.param),
                           static_cast<QWidget *>(ui.btProgramm), static_cast<QWidget *>(ui.btTSC)})
        field->setEnabled(entry && enabled);
    for (QCheckBox *box : {ui.klappCheck, ui.encrypt, ui.NichtSchliessen})
        box->setEnabled(enabled);
    ui.NichtSchliessen->setVisible(entry);
    ui.encrypt->setVisible(entry);
    ui.klappCheck->setVisible(!entry);
}

void EditorPanel::showCount(const PanelState &panel)
{
    const bool several = panel.kind == Kind::Several;
    for (QWidget *field : std::initializer_list<QWidget *>{
             ui.Label5, ui.Name, ui.Label3, ui.pfad, ui.btProgramm, ui.Label4, ui.param, ui.btTSC})
        field->setVisible(!several);
    if (several) {
        for (QCheckBox *box : {ui.klappCheck, ui.encrypt, ui.NichtSchliessen})
            box->setVisible(false);
        const QRect top = ui.Label5->geometry().united(ui.Name->geometry());
        m_count->setGeometry(top.left(), top.top(), ui.ed->width() - 2 * top.left(),
                             ui.param->geometry().bottom() - top.top());
        m_count->setText(
            QStringLiteral("%1 ausgewählt.\nLöschen, Kopieren, Ausschneiden und "
                           "Ziehen wirken auf alle.")
                .arg(transferplan::itemsText(panel.nodes, panel.count - panel.nodes, QString())));
    }
    m_count->setVisible(several);
}

void EditorPanel::reportEdit()
{
    if (!m_rendering)
        emit edited(fields());
}

void EditorPanel::fitToFont(QMainWindow *window)
{
    // The layout was made for a narrower font: where a label needs more room than it has, the
    // fields and everything right of the labels move over by the same amount.
    const std::initializer_list<QLabel *> labels{ui.Label5, ui.Label3, ui.Label4};
    int labelWidth = 0;
    for (QLabel *label : labels)
        labelWidth = qMax(labelWidth, label->sizeHint().width());
    const int shift = qMax(0, ui.Label5->x() + labelWidth + 4 - ui.Name->x());
    const QSize first = ui.ed->minimumSize();
    for (QWidget *child : ui.ed->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (std::find(labels.begin(), labels.end(), child) != labels.end())
            child->resize(labelWidth, child->height());
        else
            child->move(child->x() + shift, child->y());
    }
    for (QCheckBox *box : {ui.klappCheck, ui.encrypt, ui.NichtSchliessen})
        box->resize(qMax(box->width(), box->sizeHint().width()), box->height());
    // Narrower than this, the panel scrolls; wider, its fields stretch.
    ui.ed->setFixedSize(first.width() + shift, first.height());
    new PanelStretch(window, ui.Panel1, ui.ed, {ui.Name, ui.pfad, ui.param},
                     {ui.section, ui.id, ui.btProgramm, ui.btTSC});
}
