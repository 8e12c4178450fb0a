// SPDX-License-Identifier: MIT
#pragma once

class QDialog;

// Every modal interaction (message boxes, questions, the input box, file and folder choosers,
// the program's own dialogs) runs through ModalRunner::current().exec(), so tests can install
// a runner that inspects the dialog, fills it in and answers it instead of a person.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;

    // Shows dialog modally and returns its result (QDialog::Accepted, a QMessageBox button, ...).
    virtual int exec(QDialog &dialog) = 0;

    static ModalRunner &current();
    // Installs runner (not owned); nullptr restores the one that calls QDialog::exec().
    static void install(ModalRunner *runner);
};
