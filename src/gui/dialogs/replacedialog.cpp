// SPDX-License-Identifier: MIT
#include "replacedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/exception.h"
#include "gui/dialogs/messages.h"

namespace {

enum Column { File, Node, Entry, Field, Before, After, Problem };

QString fieldName(menureplace::Field field)
{
    switch (field) {
    case menureplace::Programs:
        return QStringLiteral("Programm");
    case menureplace::Params:
        return QStringLiteral("Parameter");
    default:
        return QStringLiteral("Beschriftung");
    }
}

QCheckBox *checkBox(QWidget *parent, const QString &text, const char *name, bool checked)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

} // namespace

ReplaceDialog::ReplaceDialog(const QString &menuFile, Apply apply, QWidget *parent)
    : FittedDialog(parent), m_menuFile(menuFile), m_apply(std::move(apply)),
      m_find(new QLineEdit(this)), m_replacement(new QLineEdit(this)),
      m_captions(checkBox(this, QStringLiteral("&Beschriftungen"), "captions", true)),
      m_programs(checkBox(this, QStringLiteral("&Programme"), "programs", true)),
      m_params(checkBox(this, QStringLiteral("P&arameter"), "params", true)),
      m_matchCase(
          checkBox(this, QStringLiteral("&Groß-/Kleinschreibung beachten"), "matchCase", false)),
      m_wholeWords(checkBox(this, QStringLiteral("Nur ganze &Wörter"), "wholeWords", false)),
      m_subLists(checkBox(this, QStringLiteral("&Unterlisten durchsuchen"), "subLists", true)),
      m_search(new QPushButton(QStringLiteral("&Suchen"), this)),
      m_replace(new QPushButton(QStringLiteral("&Ersetzen"), this)), m_summary(new QLabel(this)),
      m_list(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("Ersetzen"));
    setObjectName(QStringLiteral("ReplaceDialog"));
    m_find->setObjectName(QStringLiteral("find"));
    m_replacement->setObjectName(QStringLiteral("replacement"));
    m_search->setObjectName(QStringLiteral("search"));
    m_replace->setObjectName(QStringLiteral("replace"));
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_list->setObjectName(QStringLiteral("changes"));
    m_list->setAccessibleName(QStringLiteral("Änderungen"));
    m_list->setHeaderLabels({QStringLiteral("Datei"), QStringLiteral("Knoten"),
                             QStringLiteral("Eintrag"), QStringLiteral("Feld"),
                             QStringLiteral("Vorher"), QStringLiteral("Nachher"),
                             QStringLiteral("Hinweis")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    // The columns fit the rows in view: measuring thousands of rows took longer than the list.
    m_list->header()->setResizeContentsPrecision(0);

    auto *texts = new QFormLayout;
    auto *findLabel = new QLabel(QStringLiteral("Suchen &nach:"), this);
    findLabel->setBuddy(m_find);
    auto *replacementLabel = new QLabel(QStringLiteral("Ersetzen &durch:"), this);
    replacementLabel->setBuddy(m_replacement);
    texts->addRow(findLabel, m_find);
    texts->addRow(replacementLabel, m_replacement);
    // Three short rows rather than one long one: the dialog stays narrow enough for a screen
    // at scale 2.
    auto *rules = new QGridLayout;
    rules->addWidget(new QLabel(QStringLiteral("Suchen in:"), this), 0, 0);
    rules->addWidget(m_captions, 0, 1);
    rules->addWidget(m_programs, 0, 2);
    rules->addWidget(m_params, 0, 3);
    rules->addWidget(m_matchCase, 1, 1, 1, 2);
    rules->addWidget(m_wholeWords, 1, 3);
    rules->addWidget(m_subLists, 2, 1, 1, 2);
    rules->setColumnStretch(4, 1);
    rules->addWidget(m_search, 2, 4, Qt::AlignRight);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    buttons->addButton(m_replace, QDialogButtonBox::ActionRole);
    // Return in the fields searches; writing takes the button itself.
    m_search->setDefault(true);
    m_replace->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(texts);
    layout->addLayout(rules);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(820, 480);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_search, &QPushButton::clicked, this, &ReplaceDialog::search);
    connect(m_replace, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(m_list, &QTreeWidget::itemChanged, this, &ReplaceDialog::updateButtons);
    for (QLineEdit *edit : {m_find, m_replacement})
        connect(edit, &QLineEdit::textEdited, this, &ReplaceDialog::dropPlan);
    for (QCheckBox *box : {m_captions, m_programs, m_params, m_matchCase, m_wholeWords, m_subLists})
        connect(box, &QCheckBox::toggled, this, &ReplaceDialog::dropPlan);
    dropPlan();
}

menureplace::Options ReplaceDialog::options() const
{
    menureplace::Options options;
    options.find = m_find->text();
    options.replacement = m_replacement->text();
    options.fields = (m_captions->isChecked() ? menureplace::Captions : 0u) |
                     (m_programs->isChecked() ? menureplace::Programs : 0u) |
                     (m_params->isChecked() ? menureplace::Params : 0u);
    options.caseSensitivity = m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    options.wholeWords = m_wholeWords->isChecked();
    return options;
}

void ReplaceDialog::search()
{
    dropPlan();
    messages::guarded(this, [this] {
        const menureplace::Options wanted = options();
        if (wanted.fields == 0)
            throw transaction::ERefused(QStringLiteral("Wählen Sie aus, wo gesucht werden soll: "
                                                       "Beschriftungen, Programme oder "
                                                       "Parameter."));
        m_plan = menureplace::plan(m_subLists->isChecked() ? menureplace::withSubLists(m_menuFile)
                                                           : QStringList{m_menuFile},
                                   wanted);
        showPlan();
    });
}

void ReplaceDialog::replace()
{
    const std::vector<size_t> ticked = chosen();
    // An empty choice would write every change of the plan.
    if (ticked.empty())
        return;
    std::optional<menureplace::Outcome> done;
    messages::guarded(this, [&] { done = m_apply(m_plan, ticked); });
    if (!done)
        return;
    if (done->skipped.isEmpty()) {
        accept();
        return;
    }
    // What could not be written is listed again, as the files now stand.
    search();
    m_summary->setText(done->skipped.join(QLatin1Char(' ')) + QLatin1Char(' ') + m_summary->text());
}

std::vector<size_t> ReplaceDialog::chosen() const
{
    std::vector<size_t> ticked;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (m_list->topLevelItem(row)->checkState(File) == Qt::Checked)
            ticked.push_back(size_t(row));
    }
    return ticked;
}

void ReplaceDialog::showPlan()
{
    QList<QTreeWidgetItem *> rows;
    rows.reserve(qsizetype(m_plan.changes.size()));
    int problems = 0;
    QSet<QString> files;
    for (const menureplace::Change &c : m_plan.changes) {
        auto *row = new QTreeWidgetItem({QFileInfo(c.file).fileName(), c.node, c.entry,
                                         fieldName(c.field), c.before, c.after, c.problem});
        row->setToolTip(File, c.file);
        row->setToolTip(Before, c.before);
        row->setToolTip(After, c.after);
        files.insert(c.file);
        if (c.problem.isEmpty()) {
            row->setCheckState(File, Qt::Checked);
        } else {
            // Shown with its reason, but never written.
            ++problems;
            row->setCheckState(File, Qt::Unchecked);
            row->setFlags(row->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
            row->setToolTip(Problem, c.problem);
        }
        rows.append(row);
    }
    {
        const QSignalBlocker blocker(m_list);
        m_list->addTopLevelItems(rows);
    }
    // Long paths and parameter lines show in full as tooltips.
    for (int column = File; column < Problem; ++column) {
        m_list->resizeColumnToContents(column);
        m_list->setColumnWidth(column, qMin(m_list->columnWidth(column),
                                            m_list->fontMetrics().averageCharWidth() * 36));
    }
    const size_t count = m_plan.changes.size();
    QString text = count == 0 ? QStringLiteral("„%1“ kommt nicht vor.").arg(m_plan.options.find)
                   : count == 1 ? QStringLiteral("1 Änderung")
                                : QStringLiteral("%1 Änderungen in %2 %3")
                                      .arg(count)
                                      .arg(files.size())
                                      .arg(files.size() == 1 ? QStringLiteral("Datei")
                                                             : QStringLiteral("Dateien"));
    if (count > 0)
        text += problems == 0 ? QStringLiteral(".")
                              : QStringLiteral("; %1 davon kann die Datei nicht aufnehmen (siehe "
                                               "Hinweis).")
                                    .arg(problems);
    m_summary->setText(text);
    updateButtons();
}

void ReplaceDialog::dropPlan()
{
    m_plan = {};
    m_list->clear();
    m_summary->setText(QStringLiteral("„Suchen“ listet jede Änderung; angekreuzte schreibt "
                                      "„Ersetzen“ auf einmal, mit einem Schritt zum "
                                      "Rückgängigmachen."));
    updateButtons();
}

void ReplaceDialog::updateButtons()
{
    bool any = false;
    for (int row = 0; row < m_list->topLevelItemCount() && !any; ++row)
        any = m_list->topLevelItem(row)->checkState(File) == Qt::Checked;
    m_replace->setEnabled(any);
}
