// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <memory>

#include "generalsettings.h"

class QButtonGroup;

namespace Ui {
class Fallgemein;
}

// "Allgemeine Einstellungen": the launcher's settings in section "Config" of the menu file.
// Reads them when created; "OK" writes them.
class TFallgemein : public QDialog
{
    Q_OBJECT

public:
    TFallgemein(const QString &menuFile, QWidget *owner);
    ~TFallgemein() override;

    // What "OK" wrote to the menu file; empty until then, and when the write failed or changed
    // nothing.
    const transaction::Changes &changes() const { return m_changes; }

    // Fits the dialog to its screen before it first shows.
    void setVisible(bool visible) override;

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
