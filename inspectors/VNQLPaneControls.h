#pragma once

#include "platform/foundation/NumberFormatter.h"
#include "platform/ui/View.h"

#include <QList>
#include <QString>

#include <memory>

class QGridLayout;
class QWidget;

namespace pf {
class Button;
class Control;
class Reflective;
class Stepper;
class TextField;
} // namespace pf

// The controls the inspector panes are built from, laid out in a captioned grid. Each control
// sends its action to the pane that makes it.
namespace VNQLPaneControls {

// A pane's view: a grid whose first column holds the captions.
pf::View* makePaneView();
QGridLayout* gridOf(QWidget* view);
// Adds a row: a caption and the controls after it; without a caption the controls start at
// the left edge, and a lone control spans the row. Answers the row's index.
int addRow(QWidget* view, const QString& caption, const QList<QWidget*>& controls);
// Adds a row too wide for the caption column beside it: the caption on a row of its own, then
// the controls on the next row across the pane's whole width. Answers the controls' row.
int addWrappedRow(QWidget* view, const QString& caption, const QList<QWidget*>& controls);
// Adds the controls that do not fit beside the row above: on the next row, under that row's
// controls (after the caption column), side by side. Answers the row's index.
int addContinuationRow(QWidget* view, const QList<QWidget*>& controls);
// Puts a small help button at the top right of the pane, sending `action` to `target`.
pf::Button* addHelpButton(QWidget* view, pf::Reflective* target, const QString& action);
// Fixes the view's height to what its rows need (the stack lays panes out by their frames).
void finish(QWidget* view);

pf::TextField* numberField(pf::Reflective* target, const QString& action,
                           const std::shared_ptr<pf::NumberFormatter>& formatter = {});
// Narrows a number field to what its longest value needs (a field whose range is small gives
// the room of a thousands-wide one back to the row).
void fitFieldTo(pf::TextField* field, const QString& longestValue);
// Narrows a number field to the widest value of a small range (no wider than a thousands-wide
// field), leaving room for a unit after it.
void fitFieldToRange(pf::TextField* field, double low, double high, int fractionDigits = 2, bool roomForUnit = true);
// Gives a row's caption a tool tip: the whole name of a caption shortened to fit.
void setCaptionToolTip(QWidget* view, int row, const QString& toolTip);
pf::TextField* textField(pf::Reflective* target, const QString& action);
pf::TextField* label(const QString& text = {});
// Keeps a control at least wide enough for `sample` in the font its cell draws in (a label
// whose text changes, a pop-up's longest item).
void fitWidthTo(pf::Control* control, const QString& sample);
pf::Stepper* stepper(pf::Reflective* target, const QString& action, double increment = 1.0, double minimum = -1e7,
                     double maximum = 1e7);
pf::Button* checkBox(const QString& title, pf::Reflective* target, const QString& action);
pf::Button* pushButton(const QString& title, pf::Reflective* target, const QString& action,
                       const QString& toolTip = {});

// A decimal formatter with at most `fractionDigits` digits, lenient, for plain numbers.
std::shared_ptr<pf::NumberFormatter> decimalFormatter(int fractionDigits = 2);
// The formatter of a length shown as a percentage: percent style, one fraction digit, "%"
// suffix, multiplier 100; bounded to 10 % .. 400 % when `bounded`.
std::shared_ptr<pf::NumberFormatter> percentageFormatter(bool bounded);

// Shows a number in a field, or an empty field for a missing value.
void showNumber(pf::TextField* field, pf::Stepper* stepper, const QVariant& value);

} // namespace VNQLPaneControls
