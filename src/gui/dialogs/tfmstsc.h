// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>

#include "gui/dialogs/screenfit.h"
#include "model/remotedesktopsettings.h"

namespace Ui {
class fmstsc;
}

// "Terminalserver-Client einrichten": composes the switch line of a remote-desktop entry and
// remembers its last values per user.
class Tfmstsc : public screenfit::FittedDialog
{
    Q_OBJECT

public:
    // Loads the last values (FormCreate); a read error is shown and the dialog created all the
    // same.
    explicit Tfmstsc(QWidget *owner);
    ~Tfmstsc() override;

    // Sets the controls from a switch line; every switch found overrides the loaded value.
    // Throws EConvertError for a /f value that is not a whole number; the caller then discards
    // the dialog unshown, and since only closing stores the values, nothing is stored.
    void ReadSwitchLine(const QString &line);

    // The finished switch line (edparam), set when the dialog is closed with "&OK".
    QString switchLine() const;

    // FormClose: stores the values on every close. A failure keeps the dialog open for the user
    // to correct a value; a second failure with the same values closes it all the same.
    void done(int result) override;

private:
    void FormCreate();
    void connectbuttonClick();
    bool FormClose();
    void SpeedButton1Click();
    void SpeedButton2Click();
    RemoteDesktopSettings settings() const;
    void setSettings(const RemoteDesktopSettings &settings);

    std::unique_ptr<Ui::fmstsc> ui;
    // The values the last close could not store.
    std::optional<RemoteDesktopSettings> m_unstored;
};
