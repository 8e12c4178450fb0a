// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <memory>

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
    // The size as stored, written back unless the user changes the (clamped) one shown.
    qint32 m_storedFontSize = 0;
    bool m_fontSizeChanged = false;
};
