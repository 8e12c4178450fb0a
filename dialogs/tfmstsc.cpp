// SPDX-License-Identifier: MIT
#include "tfmstsc.h"
#include "ui_fmstsc.h"

#include <QClipboard>
#include <QGuiApplication>

#include "conversion.h"
#include "messages.h"
#include "tregistry.h"

namespace {

const QString kKey = QStringLiteral("\\Software\\Orvane\\tarvik");
// The launcher reads at most this many pieces of a switch line.
constexpr int kMaxPieces = 10;
constexpr int kMaxValueLength = 55;

// Blanks and control characters, as the launcher trims them; a no-break space is kept.
QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QStringList splitSwitchLine(QString rest)
{
    QStringList pieces;
    while (!rest.isEmpty() && pieces.size() < kMaxPieces) {
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        if (blank < 0) {
            pieces << rest;
            break;
        }
        pieces << rest.left(blank + 1);
        rest = trimControls(rest.mid(blank + 1));
    }
    return pieces;
}

QChar asciiUpper(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
}

void selectDepth(QComboBox *box, qint64 position)
{
    box->setCurrentIndex(position >= 0 && position < box->count() ? int(position) : -1);
}

} // namespace

QString ValueAfterColon(const QString &piece)
{
    const qsizetype colon = piece.indexOf(QLatin1Char(':'));
    return trimControls(piece.mid(colon < 0 ? 0 : colon + 1, kMaxValueLength));
}

Tfmstsc::Tfmstsc(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::fmstsc>())
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
    TRegistry reg;
    reg.SetRootKey(TRegistry::RootKey::CurrentUser);
    if (!reg.OpenKey(kKey, true))
        return;
    // A value not stored yet (the first use) keeps its control's initial state; one stored with
    // the wrong type still stops the loading with the store's message.
    auto has = [&reg](const char *name) { return reg.ValueExists(QLatin1String(name)); };
    if (has("Host"))
        ui->Host->setText(reg.ReadString(QStringLiteral("Host")));
    if (has("Farbtiefe"))
        selectDepth(ui->Farbtiefe, reg.ReadInteger(QStringLiteral("Farbtiefe")));
    if (has("Benutzer"))
        ui->Username->setText(reg.ReadString(QStringLiteral("Benutzer")));
    if (has("Domaene"))
        ui->Domain->setText(reg.ReadString(QStringLiteral("Domaene")));
    const std::pair<const char *, QCheckBox *> boxes[] = {{"Bild", ui->BG},
                                                          {"Drucker", ui->Printer},
                                                          {"Laufwerke", ui->drives},
                                                          {"Console", ui->Console},
                                                          {"RDPstandard", ui->RDPstandard}};
    for (const auto &[name, box] : boxes) {
        if (has(name))
            box->setChecked(reg.ReadBool(QLatin1String(name)));
    }
    reg.CloseKey();
}

void Tfmstsc::ReadSwitchLine(const QString &line)
{
    for (const QString &rawPiece : splitSwitchLine(line)) {
        const QString piece = trimControls(rawPiece);
        if (piece.size() < 2)
            continue;
        const QString value = ValueAfterColon(piece);
        switch (asciiUpper(piece[1]).unicode()) {
        case 'H':
            ui->Host->setText(value);
            break;
        case 'F':
            selectDepth(ui->Farbtiefe, qint64(StrToInt(value)) - 1);
            break;
        case 'U':
            ui->Username->setText(value);
            break;
        case 'D':
            ui->Domain->setText(value);
            break;
        case 'B':
            ui->BG->setChecked(value == QLatin1String("1"));
            break;
        case 'P':
            ui->Printer->setChecked(value == QLatin1String("1"));
            break;
        case 'L':
            ui->drives->setChecked(value == QLatin1String("1"));
            break;
        case 'C':
            ui->Console->setChecked(!piece.contains(QLatin1Char(':')) ||
                                    value == QLatin1String("1"));
            break;
        default:
            break; // "/rdp32" among them: the system client is not read back
        }
    }
}

QString Tfmstsc::switchLine() const
{
    return ui->edparam->text();
}

void Tfmstsc::connectbuttonClick()
{
    auto field = [](bool present, const QString &text) { return present ? text : QString(); };
    const QString user = ui->Username->text();
    const QString domain = ui->Domain->text();
    // Empty fields leave their separating blank behind; the launcher relies on nothing else.
    const QString line =
        QStringLiteral("/H:") + ui->Host->text() + QStringLiteral(" /f:") +
        QString::number(ui->Farbtiefe->currentIndex() + 1) + QLatin1Char(' ') +
        field(!user.isEmpty(), QStringLiteral("/u:") + user) + QLatin1Char(' ') +
        field(!domain.isEmpty(), QStringLiteral("/d:") + domain) + QLatin1Char(' ') +
        field(ui->BG->isChecked(), QStringLiteral("/b:1")) + QLatin1Char(' ') +
        field(ui->Printer->isChecked(), QStringLiteral("/p:1")) + QLatin1Char(' ') +
        field(ui->drives->isChecked(), QStringLiteral("/l:1")) + QLatin1Char(' ') +
        field(ui->Console->isChecked(), QStringLiteral("/c")) + QLatin1Char(' ') +
        field(ui->RDPstandard->isChecked(), QStringLiteral("/rdp32"));
    ui->edparam->setText(trimControls(line));
    ui->edparam->selectAll();
    QGuiApplication::clipboard()->setText(ui->edparam->text());
}

void Tfmstsc::done(int result)
{
    // A value that cannot be stored keeps the dialog open; the next close stores all again.
    if (!FormClose())
        return;
    QDialog::done(result);
}

bool Tfmstsc::FormClose()
{
    try {
        TRegistry reg;
        reg.SetRootKey(TRegistry::RootKey::CurrentUser);
        if (!reg.OpenKey(kKey, true))
            return true;
        reg.WriteString(QStringLiteral("Host"), ui->Host->text());
        reg.WriteInteger(QStringLiteral("Farbtiefe"), ui->Farbtiefe->currentIndex());
        reg.WriteString(QStringLiteral("Benutzer"), ui->Username->text());
        reg.WriteString(QStringLiteral("Domaene"), ui->Domain->text());
        reg.WriteBool(QStringLiteral("Bild"), ui->BG->isChecked());
        reg.WriteBool(QStringLiteral("Drucker"), ui->Printer->isChecked());
        reg.WriteBool(QStringLiteral("Laufwerke"), ui->drives->isChecked());
        reg.WriteBool(QStringLiteral("Console"), ui->Console->isChecked());
        reg.WriteBool(QStringLiteral("RDPstandard"), ui->RDPstandard->isChecked());
        reg.CloseKey();
    } catch (const std::exception &error) {
        messages::showException(this, error);
        return false;
    }
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
