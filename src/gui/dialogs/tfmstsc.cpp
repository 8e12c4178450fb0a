// SPDX-License-Identifier: MIT
#include "tfmstsc.h"
#include "ui_fmstsc.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>

#include "gui/dialogs/messages.h"
#include "model/remotedesktopsettings.h"

namespace {

void selectDepth(QComboBox *box, qint32 position)
{
    box->setCurrentIndex(position >= 0 && position < box->count() ? int(position) : -1);
}

} // namespace

Tfmstsc::Tfmstsc(QWidget *owner) : FittedDialog(owner), ui(std::make_unique<Ui::fmstsc>())
{
    ui->setupUi(this);
    ui->edparam->hide();

    connect(ui->connectbutton, &QPushButton::clicked, this, [this] {
        connectbuttonClick();
        accept();
    });
    connect(ui->closebutton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &Tfmstsc::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &Tfmstsc::SpeedButton2Click);

    messages::guarded(owner, [this] { FormCreate(); });
}

Tfmstsc::~Tfmstsc() = default;

void Tfmstsc::FormCreate()
{
    // A value not stored yet (the first use) keeps its control's initial state; one stored with
    // the wrong type stops the loading with the store's message, what was loaded before it shown.
    RemoteDesktopSettings loaded = settings();
    const auto show = qScopeGuard([&] { setSettings(loaded); });
    loadRemoteDesktopSettings(loaded);
}

RemoteDesktopSettings Tfmstsc::settings() const
{
    RemoteDesktopSettings s;
    s.host = ui->Host->text();
    s.colourDepth = ui->Farbtiefe->currentIndex();
    s.user = ui->Username->text();
    s.domain = ui->Domain->text();
    s.background = ui->BG->isChecked();
    s.printer = ui->Printer->isChecked();
    s.drives = ui->drives->isChecked();
    s.console = ui->Console->isChecked();
    s.systemClient = ui->RDPstandard->isChecked();
    return s;
}

void Tfmstsc::setSettings(const RemoteDesktopSettings &s)
{
    ui->Host->setText(s.host);
    selectDepth(ui->Farbtiefe, s.colourDepth);
    ui->Username->setText(s.user);
    ui->Domain->setText(s.domain);
    ui->BG->setChecked(s.background);
    ui->Printer->setChecked(s.printer);
    ui->drives->setChecked(s.drives);
    ui->Console->setChecked(s.console);
    ui->RDPstandard->setChecked(s.systemClient);
}

void Tfmstsc::ReadSwitchLine(const QString &line)
{
    RemoteDesktopSettings s = settings();
    readSwitchLine(line, s);
    setSettings(s);
}

QString Tfmstsc::switchLine() const
{
    return ui->edparam->text();
}

void Tfmstsc::connectbuttonClick()
{
    ui->edparam->setText(buildSwitchLine(settings()));
    ui->edparam->selectAll();
    QGuiApplication::clipboard()->setText(ui->edparam->text());
}

void Tfmstsc::done(int result)
{
    if (!FormClose())
        return;
    QDialog::done(result);
}

bool Tfmstsc::FormClose()
{
    const RemoteDesktopSettings values = settings();
    try {
        storeRemoteDesktopSettings(values);
    } catch (const std::exception &error) {
        messages::showException(this, error);
        // A value the store refuses can be corrected, and the next close stores all again. A
        // store that takes nothing must not hold the dialog (and the editor behind it) open.
        const bool again = m_unstored == values;
        m_unstored = values;
        return again;
    }
    m_unstored.reset();
    return true;
}

void Tfmstsc::SpeedButton1Click()
{
    ui->Username->setText(QStringLiteral("%username%"));
}

void Tfmstsc::SpeedButton2Click()
{
    ui->Username->setText(QStringLiteral("%administrator%"));
}
