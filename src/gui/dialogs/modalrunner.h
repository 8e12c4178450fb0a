// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class QDialog;
class QObject;

// Every modal interaction (message boxes, questions, the input box, file and folder choosers,
// the program's own dialogs) runs through ModalRunner::current().exec(), so tests can install
// a runner that inspects the dialog, fills it in and answers it instead of a person.
//
// A modal dialog runs an event loop of its own, in which the world moves on: a file watch fires,
// a drop arrives from another editor. What arrives so is held until every modal dialog, menu and
// drag has closed (whenClosed), so that the command that asked goes on with the window it asked
// about.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;

    // Shows dialog modally and returns its result (QDialog::Accepted, a QMessageBox button, ...).
    int exec(QDialog &dialog);

    static ModalRunner &current();
    // Installs runner (not owned); nullptr restores the one that calls QDialog::exec().
    static void install(ModalRunner *runner);

    // Marks an event loop that does not run through a runner (a drag, a context menu) as modal
    // for as long as it lives.
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
    };

    // True while a dialog runs through a runner, a Scope lives, or a popup menu or modal widget
    // is open.
    static bool isOpen();
    // Runs run now when nothing modal is open, else as soon as the last modal thing has closed
    // (unless context is gone by then).
    static void whenClosed(QObject *context, std::function<void()> run);

protected:
    virtual int run(QDialog &dialog) = 0;
};
