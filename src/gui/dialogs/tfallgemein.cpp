// SPDX-License-Identifier: MIT
#include "tfallgemein.h"
#include "ui_fallgemein.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>

#include "gui/dialogs/konstanten.h"
#include "gui/dialogs/messages.h"
#include "store/tinifile.h"

namespace {

const QString kChooserText = QStringLiteral("Verzeichniswahl");
constexpr int kMaxFontSize = 100;

// Below -1 selects nothing, beyond the last item the last one.
void selectPosition(QButtonGroup *group, qint32 position)
{
    const int last = int(group->buttons().size()) - 1;
    if (position > last)
        position = last;
    if (position < 0) {
        // An exclusive group refuses to uncheck its checked button.
        group->setExclusive(false);
        for (QAbstractButton *button : group->buttons())
            button->setChecked(false);
        group->setExclusive(true);
        return;
    }
    group->button(position)->setChecked(true);
}

} // namespace

TFallgemein::TFallgemein(const QString &menuFile, QWidget *owner)
    : FittedDialog(owner), ui(std::make_unique<Ui::Fallgemein>()), m_menuFile(menuFile)
{
    ui->setupUi(this);
    // OK and Abbruch beside the settings stay in view when the settings scroll.
    setScrolledLayout(ui->leftColumn);
    // The spin box's editor is the font-size field.
    if (auto *edit = ui->Schriftgroesse->findChild<QLineEdit *>())
        edit->setObjectName(QStringLiteral("Edit1"));

    m_updates = new QButtonGroup(this);
    const QList<QRadioButton *> updateItems = {ui->UpdateKein, ui->UpdateProgramm,
                                               ui->UpdateKonfiguration, ui->UpdateBeides};
    for (int i = 0; i < updateItems.size(); ++i)
        m_updates->addButton(updateItems[i], i);
    ui->UpdateBeides->setChecked(true);
    m_sizes = new QButtonGroup(this);

    connect(ui->Button1, &QPushButton::clicked, this, [this] {
        // A failed write is shown; the dialog closes all the same.
        messages::guarded(this, [this] { Button1Click(); });
        accept();
    });
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->SpeedButton1, &QToolButton::clicked, this,
            [this] { messages::guarded(this, [this] { SpeedButton1Click(); }); });
    connect(ui->SpeedButton2, &QToolButton::clicked, this,
            [this] { messages::guarded(this, [this] { SpeedButton2Click(); }); });

    messages::guarded(owner, [this] { FormCreate(); });
    setTabOrderOfControls();
    // The buttons come first in the tab order, but the dialog opens for its first field.
    ui->edTitel->setFocus();
    connect(ui->Schriftgroesse, &QSpinBox::valueChanged, this,
            [this] { m_fontSizeChanged = true; });
}

TFallgemein::~TFallgemein() = default;

void TFallgemein::FormCreate()
{
    for (int i = 0; i < int(konstanten::kScreenSizes.size()); ++i) {
        const auto [width, height] = konstanten::kScreenSizes[i];
        QString text = QString::asprintf("%d x %d", width, height);
        if (text.startsWith(QLatin1Char('0')))
            text = QStringLiteral("Vollbild");
        auto *item = new QRadioButton(text, ui->abox);
        item->setObjectName(QStringLiteral("abox%1").arg(i));
        ui->aboxLayout->addWidget(item);
        m_sizes->addButton(item, i);
    }
    ui->aboxLayout->addStretch();

    TIniFile ini(m_menuFile);
    m_stored = readGeneralSettings(ini);
    ui->edTitel->setText(m_stored.title);
    ui->edupdate->setText(m_stored.updateFolder);
    ui->cbtop->setChecked(m_stored.onTop);
    ui->cbfade->setChecked(m_stored.fade);
    selectPosition(m_sizes, m_stored.screenSize);
    ui->cbabox->setChecked(m_stored.sizeBox);
    ui->lastsize->setChecked(m_stored.lastSize);
    selectPosition(m_updates, m_stored.updateKind);
    ui->Schriftgroesse->setValue(qBound(0, m_stored.fontSize, kMaxFontSize));
}

void TFallgemein::setTabOrderOfControls()
{
    QList<QWidget *> tabOrder = {ui->Button1, ui->Button2, ui->edTitel, ui->edupdate,
                                 ui->edmstsc, ui->cbtop,   ui->cbfade,  ui->lastsize};
    for (QAbstractButton *item : m_sizes->buttons())
        tabOrder << item;
    tabOrder << ui->cbabox;
    for (QAbstractButton *item : m_updates->buttons())
        tabOrder << item;
    tabOrder << ui->Schriftgroesse;
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TFallgemein::Button1Click()
{
    ui->Schriftgroesse->interpretText();
    GeneralSettings settings;
    settings.title = ui->edTitel->text();
    settings.updateFolder = ui->edupdate->text();
    settings.onTop = ui->cbtop->isChecked();
    settings.fade = ui->cbfade->isChecked();
    settings.sizeBox = ui->cbabox->isChecked();
    settings.lastSize = ui->lastsize->isChecked();
    settings.screenSize = m_sizes->checkedId();
    settings.fontSize = m_fontSizeChanged ? ui->Schriftgroesse->value() : m_stored.fontSize;
    settings.updateKind = m_updates->checkedId();
    m_changes = saveGeneralSettings(m_menuFile, settings);
}

void TFallgemein::SpeedButton1Click()
{
    if (const auto folder = messages::ChooseFolder(this, kChooserText))
        ui->edupdate->setText(*folder);
}

void TFallgemein::SpeedButton2Click()
{
    const auto folder = messages::ChooseFolder(this, kChooserText);
    if (!folder)
        return;
    ui->edmstsc->setText(*folder);
    // Stored at once, for readers outside this program; a later "Abbruch" keeps it.
    storeClientFolder(ui->edmstsc->text());
}
