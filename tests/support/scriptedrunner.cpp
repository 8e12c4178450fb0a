// SPDX-License-Identifier: MIT
#include "scriptedrunner.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

ScriptedRunner::ScriptedRunner()
{
    ModalRunner::install(this);
}

ScriptedRunner::~ScriptedRunner()
{
    ModalRunner::install(nullptr);
}

int ScriptedRunner::run(QDialog &dialog)
{
    Shown shown{QString::fromLatin1(dialog.metaObject()->className()), dialog.windowTitle(), {}};
    if (auto *box = qobject_cast<QMessageBox *>(&dialog))
        shown.text = box->text();
    else if (auto *input = qobject_cast<QInputDialog *>(&dialog))
        shown.text = input->labelText();
    m_shown.push_back(shown);
    if (m_answers.empty()) {
        ++m_unexpected;
        qWarning("ScriptedRunner: unexpected dialog %s \"%s\": %s", qPrintable(shown.className),
                 qPrintable(shown.title), qPrintable(shown.text));
        dialog.reject();
        return QDialog::Rejected;
    }
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer(dialog);
}

ScriptedRunner &ScriptedRunner::then(Answer answer)
{
    m_answers.push_back(std::move(answer));
    return *this;
}

QStringList ScriptedRunner::shownTexts() const
{
    QStringList texts;
    for (const Shown &s : m_shown)
        texts << s.text;
    return texts;
}

QStringList ScriptedRunner::shownClasses() const
{
    QStringList classes;
    for (const Shown &s : m_shown)
        classes << s.className;
    return classes;
}

ScriptedRunner::Answer ScriptedRunner::clickButton(const QString &buttonText)
{
    return [buttonText](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (!box) {
            qWarning("ScriptedRunner: expected a message box, got %s",
                     dialog.metaObject()->className());
            return int(QDialog::Rejected);
        }
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == buttonText) {
                button->click();
                return box->result();
            }
        }
        qWarning("ScriptedRunner: no button \"%s\"", qPrintable(buttonText));
        return int(QDialog::Rejected);
    };
}

ScriptedRunner::Answer ScriptedRunner::enterText(const QString &text)
{
    return [text](QDialog &dialog) {
        auto *input = qobject_cast<QInputDialog *>(&dialog);
        if (!input)
            return int(QDialog::Rejected);
        input->setTextValue(text);
        input->accept();
        return int(QDialog::Accepted);
    };
}

ScriptedRunner::Answer ScriptedRunner::chooseFile(const QString &path)
{
    return [path](QDialog &dialog) {
        auto *chooser = qobject_cast<QFileDialog *>(&dialog);
        if (!chooser)
            return int(QDialog::Rejected);
        chooser->selectFile(path);
        static_cast<QDialog *>(chooser)->accept();
        return chooser->result();
    };
}

ScriptedRunner::Answer ScriptedRunner::accept()
{
    // The dialog's own accept(), which may check what it holds and stay open.
    return [](QDialog &dialog) {
        dialog.accept();
        return dialog.result();
    };
}

ScriptedRunner::Answer ScriptedRunner::reject()
{
    return [](QDialog &dialog) {
        dialog.reject();
        return int(QDialog::Rejected);
    };
}
