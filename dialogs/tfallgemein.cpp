// SPDX-License-Identifier: MIT
#include "tfallgemein.h"
#include "ui_fallgemein.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>

#include "konstanten.h"
#include "messages.h"
#include "tinifile.h"
#include "tregistry.h"

namespace {

const QString kConfig = QStringLiteral("Config");
// The reads of these two keys have always been spelled in lower case; names match without case.
const QString kConfigLower = QStringLiteral("config");
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
    : QDialog(owner), ui(std::make_unique<Ui::Fallgemein>()), m_menuFile(menuFile)
{
    ui->setupUi(this);
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
    ui->edTitel->setText(
        ini.ReadString(kConfig, QStringLiteral("Title"), QStringLiteral("Start-Menü")));
    ui->edupdate->setText(ini.ReadString(kConfig, QStringLiteral("Update"), QString()));
    ui->cbtop->setChecked(ini.ReadBool(kConfig, QStringLiteral("onTop"), false));
    ui->cbfade->setChecked(ini.ReadBool(kConfig, QStringLiteral("fade"), true));
    selectPosition(m_sizes, ini.ReadInteger(kConfig, QStringLiteral("TSsize"), 2));
    ui->cbabox->setChecked(ini.ReadBool(kConfig, QStringLiteral("tsbox"), false));
    ui->lastsize->setChecked(ini.ReadBool(kConfig, QStringLiteral("lastsize"), false));
    selectPosition(m_updates, ini.ReadInteger(kConfigLower, QStringLiteral("updatetyp"), 3));
    m_storedFontSize = ini.ReadInteger(kConfigLower, QStringLiteral("fontsize"), 8);
    ui->Schriftgroesse->setValue(qBound(0, m_storedFontSize, kMaxFontSize));
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
    const qint32 fontSize = m_fontSizeChanged ? ui->Schriftgroesse->value() : m_storedFontSize;

    TIniFile ini(m_menuFile);
    // The nine keys reach the file together or not at all.
    ini.BeginUpdate();
    ini.WriteString(kConfig, QStringLiteral("Title"), ui->edTitel->text());
    ini.WriteString(kConfig, QStringLiteral("Update"), ui->edupdate->text());
    ini.WriteBool(kConfig, QStringLiteral("onTop"), ui->cbtop->isChecked());
    ini.WriteBool(kConfig, QStringLiteral("fade"), ui->cbfade->isChecked());
    ini.WriteBool(kConfig, QStringLiteral("tsbox"), ui->cbabox->isChecked());
    ini.WriteBool(kConfig, QStringLiteral("lastsize"), ui->lastsize->isChecked());
    ini.WriteInteger(kConfig, QStringLiteral("TSsize"), m_sizes->checkedId());
    ini.WriteInteger(kConfig, QStringLiteral("Fontsize"), fontSize);
    ini.WriteInteger(kConfig, QStringLiteral("Updatetyp"), m_updates->checkedId());
    ini.EndUpdate();
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
    TRegistry reg;
    reg.SetRootKey(TRegistry::RootKey::CurrentUser);
    if (!reg.OpenKey(QStringLiteral("\\Software\\Orvane\\Tarvik"), true))
        return;
    reg.WriteString(QStringLiteral("mstscpath"), ui->edmstsc->text());
    reg.CloseKey();
}
