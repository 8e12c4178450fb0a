// SPDX-License-Identifier: MIT
#include "menucheckdialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/exception.h"
#include "gui/dialogs/messages.h"

MenuCheckDialog::MenuCheckDialog(QWidget *parent)
    : FittedDialog(parent), m_list(new QTreeWidget(this)), m_stored(new QPlainTextEdit(this)),
      m_summary(new QLabel(this)), m_repair(new QPushButton(QStringLiteral("&Reparieren"), this))
{
    setWindowTitle(QStringLiteral("Menü prüfen"));
    setObjectName(QStringLiteral("MenuCheckDialog"));
    m_list->setObjectName(QStringLiteral("findings"));
    m_list->setHeaderLabels({QStringLiteral("Zeile"), QStringLiteral("Knoten"),
                             QStringLiteral("Eintrag"), QStringLiteral("Meldung")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setAccessibleName(QStringLiteral("Befunde"));
    m_stored->setObjectName(QStringLiteral("stored"));
    m_stored->setReadOnly(true);
    m_stored->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_stored->setAccessibleName(QStringLiteral("Gespeicherte Zeilen"));
    m_summary->setObjectName(QStringLiteral("summary"));
    // A message naming a deep path wraps at its blanks instead of widening the dialog.
    m_summary->setWordWrap(true);
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_repair->setObjectName(QStringLiteral("repair"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setText(QStringLiteral("&Schließen"));
    // Else QDialog makes the first button the default, and Enter in the list asked to repair.
    close->setDefault(true);
    buttons->addButton(m_repair, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 3);
    auto *storedLabel = new QLabel(QStringLiteral("&Gespeichert in der Datei:"), this);
    storedLabel->setBuddy(m_stored);
    layout->addWidget(storedLabel);
    layout->addWidget(m_stored, 1);
    layout->addWidget(buttons);
    resize(760, 480);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_repair, &QPushButton::clicked, this, &MenuCheckDialog::repairClicked);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        choose(item ? m_list->indexOfTopLevelItem(item) : -1);
    });
}

void MenuCheckDialog::setFile(const QString &path)
{
    m_file = path;
    m_findings.clear();
    m_bytes.clear();
    QString problem;
    try {
        m_bytes = menucheck::readMenuFile(path);
        m_findings = menucheck::check(path, m_bytes);
    } catch (const Exception &error) {
        problem = messages::withFullStop(error.message());
    }
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const menucheck::Finding &f : m_findings) {
        auto *item =
            new QTreeWidgetItem(m_list, {QString::number(f.line), f.node, f.entry, f.message});
        item->setToolTip(3, f.message);
    }
    // The message, the longest, gets what the short columns leave.
    for (int column = 0; column < 3; ++column)
        m_list->resizeColumnToContents(column);
    m_stored->clear();
    // The file by its name; where it lies, the main window's title and the tooltip say.
    const QString name = QFileInfo(path).fileName();
    if (!problem.isEmpty())
        m_summary->setText(problem);
    else if (m_findings.empty())
        m_summary->setText(QStringLiteral("%1: keine Befunde.").arg(name));
    else
        m_summary->setText(QStringLiteral("%1: %2.").arg(name, statusText(m_findings.size())));
    m_summary->setToolTip(path);
    m_repair->setEnabled(!m_findings.empty());
}

void MenuCheckDialog::choose(int row)
{
    if (row < 0 || row >= int(m_findings.size())) {
        m_stored->clear();
        return;
    }
    if (m_list->currentItem() != m_list->topLevelItem(row)) {
        m_list->setCurrentItem(m_list->topLevelItem(row)); // comes back here
        return;
    }
    const menucheck::Finding &f = m_findings[size_t(row)];
    QStringList lines;
    for (const menucheck::StoredLine &line : menucheck::storedLines(m_bytes, f.section, f.index))
        lines.append(QStringLiteral("%1: %2").arg(line.line, 5).arg(line.text));
    m_stored->setPlainText(lines.join(QLatin1Char('\n')));
    if (f.inMenu)
        emit showItem(f.file, f.section, f.index);
}

void MenuCheckDialog::repairClicked()
{
    if (messages::confirm(this, QStringLiteral("Die Lücken im Menü schließen, so dass der Starter "
                                               "jeden gespeicherten Knoten und Eintrag zeigt? "
                                               "Es wird nichts entfernt.")))
        emit repairRequested();
}

QString MenuCheckDialog::statusText(size_t findings)
{
    if (findings == 0)
        return {};
    return findings == 1 ? QStringLiteral("1 Befund der Menüprüfung")
                         : QStringLiteral("%1 Befunde der Menüprüfung").arg(findings);
}
