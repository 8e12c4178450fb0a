// SPDX-License-Identifier: MIT
#include "modalrunner.h"

#include <QDialog>

namespace {

class ExecRunner final : public ModalRunner
{
public:
    int exec(QDialog &dialog) override { return dialog.exec(); }
};

ExecRunner defaultRunner;
ModalRunner *installed = nullptr;

} // namespace

ModalRunner &ModalRunner::current()
{
    return installed ? *installed : static_cast<ModalRunner &>(defaultRunner);
}

void ModalRunner::install(ModalRunner *runner)
{
    installed = runner;
}
