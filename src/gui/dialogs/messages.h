// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

class QWidget;

// The program's modal boxes, all run through ModalRunner. Texts and buttons are fixed: the
// launcher's administrators know them by these words.
namespace messages {

inline const QString kApplicationTitle = QStringLiteral("Tarvik konfigurieren");

// The error box appends a full stop when the message's last character sorts above "."
// (letters, digits, "?" and ":" do; ".", "'", "!", ")" and "," do not).
QString withFullStop(const QString &message);

// Plain message: caption the application title, no icon, one "OK".
void showPlain(QWidget *parent, const QString &text);

// The application's error box: application title, error icon, one "OK", full-stop rule.
void showError(QWidget *parent, const QString &message);

// Caption "Information", information icon, one "OK".
void showInformation(QWidget *parent, const QString &text);

// Caption "Bestätigung", question icon, "&Ja" (default) and "&Nein"; true only for "&Ja".
bool confirm(QWidget *parent, const QString &text);

enum class SaveAnswer { Save, Discard, Cancel };

// "Änderungen an »caption« speichern?" with "Speichern" (default), "Verwerfen" and "Abbrechen"
// (Esc and the close box).
SaveAnswer askSave(QWidget *parent, const QString &caption);

// Input box with one edit field that starts empty, "OK" (default) and "Abbrechen" (Esc).
// nullopt unless left with "OK".
std::optional<QString> inputText(QWidget *parent, const QString &caption, const QString &prompt,
                                 int maxLength);

// Folder chooser showing text, starting with nothing preselected and accepting only folders.
// The chosen folder's path: one selected, typed or gone into. nullopt when cancelled, and when
// "OK" is pressed in the folder the chooser opened in with nothing selected or typed.
std::optional<QString> ChooseFolder(QWidget *parent, const QString &text);

// Runs a command as the application's default handler would: an Exception (or any other
// std::exception) escaping it is shown in the error box and the program goes on.
template <typename Command> void guarded(QWidget *parent, Command &&command);

void showException(QWidget *parent, const std::exception &error);

} // namespace messages

#include <exception>

template <typename Command> void messages::guarded(QWidget *parent, Command &&command)
{
    try {
        command();
    } catch (const std::exception &error) {
        showException(parent, error);
    }
}
