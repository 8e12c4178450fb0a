// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QMargins>
#include <QRect>
#include <QSize>

class QLayout;
class QWidget;

// Keeps windows and dialogs within their screen's available area, whatever its size and scale
// factor (1280 x 1024 at scale 2 leaves 640 x 512).
namespace screenfit {

// The frame a window is given where the window system has not told its size yet: what QDialog
// allows for when it places a dialog.
inline constexpr QMargins kAssumedFrame{5, 30, 5, 10};

// Where a window goes whose frame (frame included) is the rectangle frame: no larger than
// available but no smaller than minimum, moved in as far as needed, centred when it has no place
// of its own yet (placed false). What is larger than available starts at its top left.
QRect fitFrame(const QRect &frame, const QSize &minimum, const QRect &available, bool placed);

struct DialogFit
{
    bool scrolls = false;
    QSize size;
};

// How a dialog fits into room (the available area less the frame). size: what the dialog would
// open at; minimum: the smallest its layout allows. A dialog that fits keeps size; one that fits
// only smaller is made smaller; one too big even at its minimum scrolls its contents, as large
// as they and the scroll bars they then need are, no larger than room.
DialogFit fitDialogSize(const QSize &size, const QSize &minimum, const QSize &room,
                        int scrollBarExtent);

// Bounds the window to its screen's available area and moves it so that nothing lies off the
// screen; centred there when it was not placed yet. For the main window, before it is first shown.
void fitWindow(QWidget *window);

// Makes the dialog fit its screen before it is shown (its parent's screen, where QDialog places
// it): a dialog too big even at its smallest gets its contents, with their object names, focus
// and tab order, in a scroll area; one given a size larger than the screen is made smaller; any
// other is left exactly as it is. scrolled: what scrolls, a layout directly in the dialog's
// top-level box layout, so that what is beside it (the buttons, say) stays in view; by default
// all of the dialog. Returns whether the contents scroll.
bool fitDialog(QDialog *dialog, QLayout *scrolled = nullptr);

// A dialog that fits its screen (fitDialog) before it first shows.
class FittedDialog : public QDialog
{
public:
    using QDialog::QDialog;
    void setVisible(bool visible) override;

protected:
    // What scrolls when the dialog is too big for the screen; by default all of it.
    void setScrolledLayout(QLayout *layout) { m_scrolled = layout; }

private:
    QLayout *m_scrolled = nullptr;
};

} // namespace screenfit
