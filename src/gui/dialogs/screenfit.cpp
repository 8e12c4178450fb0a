// SPDX-License-Identifier: MIT
#include "screenfit.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace screenfit {

namespace {

const QString kScrollAreaName = QStringLiteral("screenfitScrollArea");

// Known once the window is shown; before that, the window system has not said.
QMargins frameOf(const QWidget *window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (window->isVisible() && window->windowHandle())
        return window->windowHandle()->frameMargins();
    return kAssumedFrame;
}

// Within the left and right (or top and bottom) edges when it fits, else at the first one.
int within(int start, int length, int first, int room)
{
    return qMax(first, qMin(start, first + room - length));
}

// scrolled: the whole top-level layout, or a layout directly in it, which the area then takes
// the place of.
void moveIntoScrollArea(QDialog *dialog, QLayout *top, QLayout *scrolled)
{
    QWidget *focus = dialog->focusWidget();
    auto *box = qobject_cast<QBoxLayout *>(top);
    const int place = box && scrolled && scrolled != top ? box->indexOf(scrolled) : -1;
    if (place >= 0) {
        box->takeAt(place);
        scrolled->setParent(nullptr);
        // Around it stay the margins of the layout it came from.
        scrolled->setContentsMargins(QMargins());
    } else {
        scrolled = top;
    }
    auto *area = new QScrollArea(dialog);
    area->setObjectName(kScrollAreaName);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    // Created inside the dialog, so that the controls move within one window: a control moved
    // into another window would lose its place in the tab order.
    auto *contents = new QWidget(dialog);
    contents->setObjectName(QStringLiteral("screenfitContents"));
    contents->setLayout(scrolled);
    area->setWidget(contents);
    // A layout of fixed size had fixed the dialog's size to its own.
    dialog->setMinimumSize(0, 0);
    dialog->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (place >= 0) {
        box->insertWidget(place, area);
        box->setSizeConstraint(QLayout::SetDefaultConstraint);
    } else {
        auto *outer = new QVBoxLayout(dialog);
        outer->setContentsMargins(QMargins());
        outer->addWidget(area);
    }
    if (focus && focus != dialog)
        focus->setFocus();
    // The scroll area follows the focus only on Tab; arrow keys and mnemonics move it too.
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget *, QWidget *now) {
        if (now && area->widget()->isAncestorOf(now))
            area->ensureWidgetVisible(now);
    });
}

} // namespace

QRect fitFrame(const QRect &frame, const QSize &minimum, const QRect &available, bool placed)
{
    QRect fitted(frame.topLeft(), frame.size().boundedTo(available.size()).expandedTo(minimum));
    if (!placed)
        fitted.moveCenter(available.center());
    fitted.moveTo(within(fitted.x(), fitted.width(), available.x(), available.width()),
                  within(fitted.y(), fitted.height(), available.y(), available.height()));
    return fitted;
}

DialogFit fitDialogSize(const QSize &size, const QSize &minimum, const QSize &room,
                        int scrollBarExtent)
{
    if (minimum.width() <= room.width() && minimum.height() <= room.height())
        return {false, size.boundedTo(room)};
    bool vertical = size.height() > room.height();
    bool horizontal = size.width() > room.width();
    // A scroll bar along one side takes room from the other.
    if (vertical && !horizontal)
        horizontal = size.width() + scrollBarExtent > room.width();
    if (horizontal && !vertical)
        vertical = size.height() + scrollBarExtent > room.height();
    const QSize withBars(size.width() + (vertical ? scrollBarExtent : 0),
                         size.height() + (horizontal ? scrollBarExtent : 0));
    return {true, withBars.boundedTo(room)};
}

void fitWindow(QWidget *window)
{
    if (!window || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    QScreen *screen = window->screen();
    if (!screen)
        return;
    const QMargins frame = frameOf(window);
    QSize size = window->size();
    // Not given a size yet, a window opens at its size hint.
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized) &&
        window->sizeHint().isValid())
        size = window->sizeHint();
    QSize minimum = window->minimumSize();
    if (window->layout())
        minimum = minimum.expandedTo(window->minimumSizeHint());
    const bool placed = window->isVisible() || window->testAttribute(Qt::WA_Moved);
    const QRect fitted = fitFrame(QRect(window->pos(), size.expandedTo(minimum).grownBy(frame)),
                                  minimum.grownBy(frame), screen->availableGeometry(), placed);
    window->resize(fitted.size().shrunkBy(frame));
    // A window's position is that of its frame.
    window->move(fitted.topLeft());
}

bool fitDialog(QDialog *dialog, QLayout *scrolled)
{
    if (!dialog || dialog->findChild<QScrollArea *>(kScrollAreaName, Qt::FindDirectChildrenOnly))
        return dialog != nullptr;
    // QDialog places a dialog on its parent's screen.
    QWidget *parent = dialog->parentWidget();
    QScreen *screen = parent ? parent->window()->screen() : dialog->screen();
    if (!screen)
        return false;
    QLayout *layout = dialog->layout();
    if (layout)
        layout->activate();
    const QSize minimum = dialog->minimumSize().expandedTo(dialog->minimumSizeHint());
    const QSize size = dialog->testAttribute(Qt::WA_Resized)
                           ? dialog->size()
                           : dialog->sizeHint().expandedTo(minimum);
    const QSize room = screen->availableGeometry().size().shrunkBy(frameOf(dialog));
    const DialogFit fit = fitDialogSize(size, minimum, room,
                                        dialog->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    if (fit.scrolls && layout)
        moveIntoScrollArea(dialog, layout, scrolled);
    else if (fit.size == size)
        return false;
    dialog->resize(fit.size);
    return fit.scrolls && layout;
}

void FittedDialog::setVisible(bool visible)
{
    if (visible && !isVisible())
        fitDialog(this, m_scrolled);
    QDialog::setVisible(visible);
}

} // namespace screenfit
