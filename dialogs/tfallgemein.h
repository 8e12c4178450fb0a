// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <memory>

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

    std::unique_ptr<Ui::Fallgemein> ui;
    QString m_menuFile;
};
