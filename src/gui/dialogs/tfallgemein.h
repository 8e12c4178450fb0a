// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "gui/dialogs/screenfit.h"
#include "model/generalsettings.h"

class QButtonGroup;

namespace Ui {
class Fallgemein;
}

// "Allgemeine Einstellungen": the launcher's settings in section "Config" of the menu file.
// Reads them when created; "OK" writes them.
class TFallgemein : public screenfit::FittedDialog
{
    Q_OBJECT

public:
    TFallgemein(const QString &menuFile, QWidget *owner);
    ~TFallgemein() override;

    // What "OK" wrote to the menu file; empty until then, and when the write failed or changed
    // nothing.
    const transaction::Changes &changes() const { return m_changes; }

private:
    void FormCreate();
    void Button1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void setTabOrderOfControls();

    std::unique_ptr<Ui::Fallgemein> ui;
    QString m_menuFile;
    QButtonGroup *m_sizes = nullptr;
    QButtonGroup *m_updates = nullptr;
    // As read; the font size is written back as stored unless the user changes the (clamped)
    // one shown.
    GeneralSettings m_stored;
    bool m_fontSizeChanged = false;
    transaction::Changes m_changes;
};
