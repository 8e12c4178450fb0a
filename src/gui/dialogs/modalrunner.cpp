// SPDX-License-Identifier: MIT
#include "modalrunner.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace {

class ExecRunner final : public ModalRunner
{
protected:
    int run(QDialog &dialog) override { return dialog.exec(); }
};

ExecRunner defaultRunner;
ModalRunner *installed = nullptr;
int openDepth = 0;

// How often a held action looks whether the modal things have closed: quick enough that the user
// sees a reload as the dialog closes, and a timer that costs nothing meanwhile.
constexpr int kPollMs = 50;

} // namespace

int ModalRunner::exec(QDialog &dialog)
{
    const Scope open;
    return run(dialog);
}

ModalRunner &ModalRunner::current()
{
    return installed ? *installed : static_cast<ModalRunner &>(defaultRunner);
}

void ModalRunner::install(ModalRunner *runner)
{
    installed = runner;
}

ModalRunner::Scope::Scope()
{
    ++openDepth;
}

ModalRunner::Scope::~Scope()
{
    --openDepth;
}

bool ModalRunner::isOpen()
{
    return openDepth > 0 || QApplication::activePopupWidget() || QApplication::activeModalWidget();
}

void ModalRunner::whenClosed(QObject *context, std::function<void()> run)
{
    if (!isOpen()) {
        run();
        return;
    }
    // A timer, not a signal of the dialog: a dialog can open another before it closes, and the
    // action waits for all of them.
    QTimer::singleShot(kPollMs, context, [context, run = std::move(run)]() mutable {
        whenClosed(context, std::move(run));
    });
}
