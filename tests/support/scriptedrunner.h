// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

#include "gui/dialogs/modalrunner.h"

// Answers modal dialogs from a script instead of a person. Each shown dialog takes the next
// answer; a dialog without an answer left is recorded as unexpected and rejected. Installed for
// the lifetime of the object.
class ScriptedRunner final : public ModalRunner
{
public:
    using Answer = std::function<int(QDialog &)>;

    struct Shown
    {
        QString className; // QMessageBox, QInputDialog, QFileDialog, TFallgemein, ...
        QString title;
        QString text; // a message box's text or an input box's label
    };

    ScriptedRunner();
    ~ScriptedRunner() override;

    ScriptedRunner &then(Answer answer);

    // Common answers. A message box answered by button text ("OK", "&Ja", "&Nein").
    static Answer clickButton(const QString &buttonText);
    static Answer enterText(const QString &text);  // input box: type and press "OK"
    static Answer chooseFile(const QString &path); // file or folder chooser: pick and accept
    static Answer accept();                        // "OK" as the dialog stands
    static Answer reject();                        // Esc / close box

    const std::vector<Shown> &shown() const { return m_shown; }
    QStringList shownTexts() const;
    QStringList shownClasses() const;
    int unexpected() const { return m_unexpected; }
    bool allAnswered() const { return m_answers.empty(); }

protected:
    int run(QDialog &dialog) override;

private:
    std::deque<Answer> m_answers;
    std::vector<Shown> m_shown;
    int m_unexpected = 0;
};
