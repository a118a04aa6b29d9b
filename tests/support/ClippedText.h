#pragma once

// Finds the text a window cuts off: every shown label, button, field and pop-up under a widget
// whose text does not fit the room it is drawn in, or that reaches past the widget's right edge.
// For the layout tests that render panes at the narrowest width they get.
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Cell.h"
#include "platform/ui/Control.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quillory::test {

// Shown and not scrolled or clipped away by a hidden ancestor.
inline bool isShown(const QWidget* widget, const QWidget* root)
{
    for (const QWidget* w = widget; w && w != root; w = w->parentWidget())
        if (w->isHidden())
            return false;
    return true;
}

// Where a widget draws, in its parent's coordinates: a label only where its text goes (a help
// button in the corner of a title row covers none of the title), any other widget whole.
inline QRect textAreaOf(const QWidget* widget)
{
    QRect area = widget->geometry();
    auto* field = qobject_cast<const pf::TextField*>(widget);
    if (!field || !field->cell() || field->isEditable() || field->isBezeled())
        return area;
    const double needed = QFontMetricsF(field->cell()->font()).horizontalAdvance(field->cell()->title());
    const int width = int(std::ceil(needed)) + 8;
    if (width >= area.width())
        return area;
    const Qt::Alignment alignment = field->cell()->alignment();
    if (alignment & Qt::AlignRight)
        area.setLeft(area.right() - width);
    else if (alignment & Qt::AlignHCenter)
        area = QRect(area.center().x() - width / 2, area.top(), width, area.height());
    else
        area.setWidth(width);
    return area;
}

// A shown sibling drawn over the widget's text: a layout squeezed below what its rows need keeps
// each widget at its least width, so that one runs into the next. `textRect` is where the
// widget's text is drawn, in its parent's coordinates.
inline const QWidget* overlappingSibling(const QWidget* widget, const QRect& textRect, const QWidget* root)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent)
        return nullptr;
    // Only the siblings stacked above it (later children) hide it: a box it sits in is below.
    const QObjectList& siblings = parent->children();
    for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(widget)) + 1; i > 0 && i < siblings.size(); ++i) {
        auto* sibling = qobject_cast<const QWidget*>(siblings.at(i));
        if (!sibling || sibling->isWindow() || !isShown(sibling, root) || sibling->width() <= 0)
            continue;
        if (textAreaOf(sibling).intersects(textRect))
            return sibling;
    }
    return nullptr;
}

inline QStringList clippedTexts(QWidget* root, int visibleWidth = -1, QStringList* checked = nullptr)
{
    QStringList clipped;
    if (visibleWidth < 0)
        visibleWidth = root->width();
    auto note = [&](const QWidget* widget, const QString& text, const QString& why) {
        clipped.append(QStringLiteral("%1 \"%2\" (%4 px wide): %3")
                           .arg(QString::fromLatin1(widget->metaObject()->className()), text, why)
                           .arg(widget->width()));
    };
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!isShown(widget, root) || widget->width() <= 0)
            continue;
        QString text;
        double needed = 0;
        double room = 0;
        if (qobject_cast<pf::Stepper*>(widget))
            continue; // arrows only
        if (auto* segmented = qobject_cast<pf::SegmentedControl*>(widget)) {
            // Each segment draws its label inside its bevel, less 6 px a side and any image;
            // a segment reaching past the control is cut at the control's edge.
            for (int i = 0; i < segmented->segmentCount(); ++i) {
                const QString label = segmented->labelForSegment(i);
                if (label.isEmpty())
                    continue;
                const QRectF frame = segmented->frameForSegment(i);
                const QRectF content = frame.adjusted(6, 2, -6, -2);
                double segmentRoom = std::min<double>(frame.right(), widget->width()) - frame.left() - 12;
                if (pf::Ref<pf::Image> image = segmented->imageForSegment(i)) {
                    const QSizeF size = image->size().scaled(content.size().boundedTo(image->size()), Qt::KeepAspectRatio);
                    segmentRoom -= size.width() + 4;
                }
                const double segmentNeeds = QFontMetricsF(segmented->font()).horizontalAdvance(label);
                if (checked)
                    checked->append(label);
                if (segmentNeeds > segmentRoom + 0.5)
                    note(widget, label, QStringLiteral("segment needs %1 px, has %2").arg(segmentNeeds, 0, 'f', 1).arg(segmentRoom, 0, 'f', 1));
            }
            const int right = widget->mapTo(root, QPoint(widget->width(), 0)).x();
            if (right > visibleWidth)
                note(widget, segmented->labelForSegment(0), QStringLiteral("ends at %1, past the edge at %2").arg(right).arg(visibleWidth));
            continue;
        }
        if (auto* control = qobject_cast<pf::Control*>(widget)) {
            pf::Cell* cell = control->cell();
            if (!cell)
                continue;
            text = cell->title();
            if (auto* popUp = qobject_cast<pf::PopUpButton*>(widget))
                text = popUp->titleOfSelectedItem();
            if (text.isEmpty())
                continue;
            needed = QFontMetricsF(cell->font()).horizontalAdvance(text);
            const QRectF bounds(0, 0, widget->width(), widget->height());
            room = cell->titleRectForBounds(bounds).width();
            if (qobject_cast<pf::PopUpButton*>(widget))
                room -= 18; // the arrows
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
            if (text.isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(text))
                continue;
            needed = QFontMetricsF(label->font()).horizontalAdvance(text);
            room = label->contentsRect().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
            if (text.isEmpty())
                continue;
            needed = button->sizeHint().width();
            // A push button's hint holds the style's least button width, which a small button
            // ("?") rightly goes below: what it needs is its text within the bevel's margins.
            if (qobject_cast<QPushButton*>(widget)) {
                QStyle* style = button->style();
                needed = std::min<double>(needed, QFontMetricsF(button->font()).horizontalAdvance(text)
                    + 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
                           + style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button))
                    + (button->icon().isNull() ? 0 : button->iconSize().width() + 4));
            }
            room = button->width();
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            text = combo->currentText();
            if (text.isEmpty())
                continue;
            needed = QFontMetricsF(combo->font()).horizontalAdvance(text) + 24;
            room = combo->width();
        } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            text = line->text();
            if (text.isEmpty() || qobject_cast<QComboBox*>(line->parentWidget()))
                continue;
            needed = QFontMetricsF(line->font()).horizontalAdvance(text) + 6;
            room = line->width();
        } else {
            continue;
        }
        if (checked)
            checked->append(text);
        if (needed > room + 0.5)
            note(widget, text, QStringLiteral("needs %1 px, has %2").arg(needed, 0, 'f', 1).arg(room, 0, 'f', 1));
        const int right = widget->mapTo(root, QPoint(widget->width(), 0)).x();
        if (right > visibleWidth)
            note(widget, text, QStringLiteral("ends at %1, past the edge at %2").arg(right).arg(visibleWidth));
        const QRect textRect = textAreaOf(widget);
        if (const QWidget* over = overlappingSibling(widget, textRect, root))
            note(widget, text, QStringLiteral("drawn over by a %1 at %2..%3 (it spans %4..%5)")
                                   .arg(QString::fromLatin1(over->metaObject()->className()))
                                   .arg(over->x()).arg(over->x() + over->width())
                                   .arg(widget->x()).arg(widget->x() + widget->width()));
    }
    return clipped;
}

} // namespace quillory::test
