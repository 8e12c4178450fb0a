// SPDX-License-Identifier: MIT
#include "messages.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "base/exception.h"
#include "gui/dialogs/modalrunner.h"
#include "model/transaction.h"

namespace messages {

QString withFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

namespace {

int runBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    return ModalRunner::current().exec(box);
}

} // namespace

void showPlain(QWidget *parent, const QString &text)
{
    runBox(parent, QMessageBox::NoIcon, kApplicationTitle, text);
}

void showError(QWidget *parent, const QString &message)
{
    runBox(parent, QMessageBox::Critical, kApplicationTitle, withFullStop(message));
}

void showInformation(QWidget *parent, const QString &text)
{
    runBox(parent, QMessageBox::Information, QStringLiteral("Information"), text);
}

bool confirm(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"), text,
                    QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    ModalRunner::current().exec(box);
    return box.clickedButton() == yes;
}

SaveAnswer askSave(QWidget *parent, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, kApplicationTitle,
                    QStringLiteral("Änderungen an »%1« speichern?").arg(caption),
                    QMessageBox::NoButton, parent);
    QPushButton *save = box.addButton(QStringLiteral("Speichern"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("Verwerfen"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    ModalRunner::current().exec(box);
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    return box.clickedButton() == discard ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

std::optional<QString> inputText(QWidget *parent, const QString &caption, const QString &prompt,
                                 int maxLength)
{
    QInputDialog box(parent);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(QString());
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (auto *edit = box.findChild<QLineEdit *>())
        edit->setMaxLength(maxLength);
    if (ModalRunner::current().exec(box) != QDialog::Accepted)
        return std::nullopt;
    // The limit also holds for text a runner put in without the edit field.
    return box.textValue().left(maxLength);
}

std::optional<QString> ChooseFolder(QWidget *parent, const QString &text)
{
    QFileDialog chooser(parent, text);
    // Qt's own chooser shows what was typed and selected; only that tells a choice from "OK"
    // pressed where the chooser opened, which would answer with that folder.
    chooser.setOption(QFileDialog::DontUseNativeDialog, true);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setLabelText(QFileDialog::LookIn, text);
    const QString start = chooser.directory().absolutePath();
    if (ModalRunner::current().exec(chooser) != QDialog::Accepted)
        return std::nullopt;
    const auto *typed = chooser.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    const auto *list = chooser.findChild<QAbstractItemView *>(QStringLiteral("listView"));
    const bool chosen =
        (typed && !typed->text().trimmed().isEmpty()) ||
        (list && list->selectionModel() && list->selectionModel()->hasSelection()) ||
        chooser.directory().absolutePath() != start;
    const QStringList folders = chooser.selectedFiles();
    if (!chosen || folders.isEmpty() || !QFileInfo(folders.first()).isDir())
        return std::nullopt;
    return QDir::toNativeSeparators(folders.first());
}

void showException(QWidget *parent, const std::exception &error)
{
    // What the user can put right is a plain message, not an error.
    if (const auto *refused = dynamic_cast<const transaction::ERefused *>(&error))
        showPlain(parent, refused->message());
    else if (const auto *changed = dynamic_cast<const transaction::EChangedOutside *>(&error))
        showPlain(parent, changed->message());
    else if (const auto *own = dynamic_cast<const Exception *>(&error))
        showError(parent, own->message());
    else
        showError(parent, QString::fromLocal8Bit(error.what()));
}

} // namespace messages
