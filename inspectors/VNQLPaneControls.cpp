#include "inspectors/VNQLPaneControls.h"

#include "platform/foundation/Variant.h"
#include "platform/ui/Button.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>

#include <cmath>

namespace VNQLPaneControls {

namespace {
constexpr int kFieldWidth = 72;
constexpr int kRowHeight = 22;
// The room a control's cell keeps around its text: the bezel or border and the text inset.
constexpr int kTextInset = 10;
// The room a push button keeps around its title: the bevel's insets and a little air.
constexpr int kButtonInset = 12;

// The width of `text` in the font the control's cell draws it in, which is not the widget's
// own font: sizes measured in the widget's font cut the text off.
int textWidth(const pf::Control* control, const QString& text)
{
    const QFont font = control && control->cell() ? control->cell()->font() : QFont();
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}
} // namespace

pf::View* makePaneView()
{
    auto* view = new pf::View;
    auto* grid = new QGridLayout(view);
    // Narrow margins: the sidebar's narrowest width must hold a caption, a number field and
    // its stepper, or three buttons, in the desktop's font.
    grid->setContentsMargins(5, 6, 5, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    return view;
}

QGridLayout* gridOf(QWidget* view)
{
    return view ? qobject_cast<QGridLayout*>(view->layout()) : nullptr;
}

namespace {
QHBoxLayout* stripOf(const QList<QWidget*>& controls)
{
    auto* strip = new QHBoxLayout;
    strip->setSpacing(4);
    for (QWidget* control : controls)
        if (control)
            strip->addWidget(control);
    strip->addStretch(1);
    return strip;
}
} // namespace

int addRow(QWidget* view, const QString& caption, const QList<QWidget*>& controls)
{
    QGridLayout* grid = gridOf(view);
    if (!grid)
        return -1;
    const int row = grid->rowCount() == 1 && !grid->itemAtPosition(0, 0) && !grid->itemAtPosition(0, 1) ? 0 : grid->rowCount();
    if (!caption.isEmpty()) {
        pf::TextField* captionLabel = label(caption);
        captionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(captionLabel, row, 0);
    }
    if (caption.isEmpty() && controls.size() == 1 && controls.first()) {
        grid->addWidget(controls.first(), row, 0, 1, -1);
        return row;
    }
    if (caption.isEmpty()) {
        // A row of buttons shares the pane's width evenly, apart from the caption column
        // above it, so that each keeps the room its title needs.
        auto* strip = new QHBoxLayout;
        strip->setSpacing(4);
        for (QWidget* control : controls)
            if (control) {
                control->setSizePolicy(QSizePolicy::Expanding, control->sizePolicy().verticalPolicy());
                strip->addWidget(control, 1);
            }
        grid->addLayout(strip, row, 0, 1, -1);
        return row;
    }
    // The controls of a captioned row sit side by side after the caption: in columns of their
    // own, a field's stepper would go after the widest control of every other row and push
    // the pane past the sidebar's edge.
    if (controls.size() == 1) {
        grid->addWidget(controls.first(), row, 1);
        return row;
    }
    grid->addLayout(stripOf(controls), row, 1, 1, -1);
    return row;
}


int addWrappedRow(QWidget* view, const QString& caption, const QList<QWidget*>& controls)
{
    QGridLayout* grid = gridOf(view);
    if (!grid)
        return -1;
    int row = grid->rowCount() == 1 && !grid->itemAtPosition(0, 0) && !grid->itemAtPosition(0, 1) ? 0 : grid->rowCount();
    if (!caption.isEmpty()) {
        pf::TextField* captionLabel = label(caption);
        captionLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(captionLabel, row++, 0, 1, -1);
    }
    grid->addLayout(stripOf(controls), row, 0, 1, -1);
    return row;
}

int addContinuationRow(QWidget* view, const QList<QWidget*>& controls)
{
    QGridLayout* grid = gridOf(view);
    if (!grid)
        return -1;
    const int row = grid->rowCount();
    grid->addLayout(stripOf(controls), row, 1, 1, -1);
    return row;
}

pf::Button* addHelpButton(QWidget* view, pf::Reflective* target, const QString& action)
{
    QGridLayout* grid = gridOf(view);
    if (!grid)
        return nullptr;
    pf::Button* button = pf::Button::pushButton(QStringLiteral("?"));
    button->setFixedSize(kRowHeight + 4, kRowHeight + 2);
    button->setToolTip(QCoreApplication::translate("VNQLPaneControls", "Help"));
    button->setTarget(target);
    button->setAction(action);
    // Across the whole first row, kept to its right end: in a column of its own it would sit
    // over the first row's text whenever the pane's rows have no caption column.
    grid->addWidget(button, 0, 0, 1, -1, Qt::AlignRight | Qt::AlignTop);
    return button;
}

void finish(QWidget* view)
{
    QGridLayout* grid = gridOf(view);
    if (!grid)
        return;
    grid->setColumnStretch(grid->columnCount(), 1);
    const int height = std::max(grid->sizeHint().height(), grid->rowCount() * (kRowHeight + 4) + 12);
    if (auto* pfView = qobject_cast<pf::View*>(view))
        pfView->setFrame(QRectF(0, 0, 200, height));
    view->setMinimumHeight(height);
}

pf::TextField* numberField(pf::Reflective* target, const QString& action,
                           const std::shared_ptr<pf::NumberFormatter>& formatter)
{
    auto* field = new pf::TextField;
    // Room for a number past a thousand with two decimals and a sign, in the field's font.
    field->setFixedSize(std::max(kFieldWidth, textWidth(field, QStringLiteral("-8,888.88")) + kTextInset + 4), kRowHeight);
    field->setTarget(target);
    field->setAction(action);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setFormatter(formatter ? formatter : decimalFormatter());
    return field;
}

void fitFieldTo(pf::TextField* field, const QString& longestValue)
{
    if (field)
        field->setFixedWidth(textWidth(field, longestValue) + kTextInset + 4);
}

void fitFieldToRange(pf::TextField* field, double low, double high, int fractionDigits, bool roomForUnit)
{
    const double widest = std::max(std::abs(low), std::abs(high));
    if (!field || !std::isfinite(widest) || widest >= 1000)
        return;
    // The widest value the range holds, in the widest digits: 360 with two fraction digits
    // shows at most "359.99", as wide as "888.88"; a whole top value ("100") is narrower still.
    int integerDigits = 1;
    for (double bound = 10; bound <= widest; bound *= 10)
        ++integerDigits;
    if (double(std::pow(10.0, integerDigits - 1)) == widest && integerDigits > 1 && fractionDigits > 0)
        --integerDigits;
    QString sample = (low < 0 ? QStringLiteral("-") : QString()) + QString(integerDigits, u'8');
    if (fractionDigits > 0)
        sample += u'.' + QString(fractionDigits, u'8');
    if (roomForUnit)
        sample += QStringLiteral("cm");
    field->setFixedWidth(std::min(field->width(), textWidth(field, sample) + kTextInset + 4));
}

void setCaptionToolTip(QWidget* view, int row, const QString& toolTip)
{
    QGridLayout* grid = gridOf(view);
    QLayoutItem* item = grid && row >= 0 ? grid->itemAtPosition(row, 0) : nullptr;
    if (item && item->widget())
        item->widget()->setToolTip(toolTip);
}

pf::TextField* textField(pf::Reflective* target, const QString& action)
{
    auto* field = new pf::TextField;
    field->setMinimumWidth(100);
    field->setFixedHeight(kRowHeight);
    field->setTarget(target);
    field->setAction(action);
    return field;
}

pf::TextField* label(const QString& text)
{
    pf::TextField* field = pf::TextField::label(text);
    field->setMinimumHeight(kRowHeight - 4);
    field->setSizePolicy(QSizePolicy::Preferred, field->sizePolicy().verticalPolicy());
    if (!text.isEmpty())
        field->setMinimumWidth(textWidth(field, text) + kTextInset);
    return field;
}

void fitWidthTo(pf::Control* control, const QString& sample)
{
    if (!control)
        return;
    // A pop-up keeps room for its arrows besides the title.
    const int extra = qobject_cast<pf::PopUpButton*>(control) ? 30 : kTextInset;
    control->setMinimumWidth(std::max(control->minimumWidth(), textWidth(control, sample) + extra));
}

pf::Stepper* stepper(pf::Reflective* target, const QString& action, double increment, double minimum, double maximum)
{
    auto* control = new pf::Stepper;
    control->setFixedSize(15, kRowHeight);
    control->setMinValue(minimum);
    control->setMaxValue(maximum);
    control->setIncrement(increment);
    control->setTarget(target);
    control->setAction(action);
    return control;
}

pf::Button* checkBox(const QString& title, pf::Reflective* target, const QString& action)
{
    pf::Button* button = pf::Button::checkBox(title);
    button->setMinimumSize(int(std::ceil(button->cell()->cellSize().width())) + 4, kRowHeight);
    button->setTarget(target);
    button->setAction(action);
    return button;
}

pf::Button* pushButton(const QString& title, pf::Reflective* target, const QString& action, const QString& toolTip)
{
    pf::Button* button = pf::Button::pushButton(title);
    button->setMinimumSize(textWidth(button, title) + kButtonInset, kRowHeight + 2);
    button->setTarget(target);
    button->setAction(action);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    return button;
}

std::shared_ptr<pf::NumberFormatter> decimalFormatter(int fractionDigits)
{
    auto formatter = std::make_shared<pf::NumberFormatter>();
    formatter->setStyle(pf::NumberFormatter::Style::Decimal);
    formatter->setMaximumFractionDigits(fractionDigits);
    formatter->setRoundingMode(pf::NumberFormatter::RoundingMode::HalfEven);
    formatter->setLenient(true);
    return formatter;
}

std::shared_ptr<pf::NumberFormatter> percentageFormatter(bool bounded)
{
    auto formatter = std::make_shared<pf::NumberFormatter>();
    formatter->setStyle(pf::NumberFormatter::Style::Percent);
    formatter->setMaximumFractionDigits(1);
    formatter->setPositiveSuffix(QStringLiteral("%"));
    formatter->setNegativeSuffix(QStringLiteral("%"));
    formatter->setMultiplier(100.0);
    formatter->setLenient(true);
    if (bounded) {
        formatter->setMinimum(0.1);
        formatter->setMaximum(4.0);
    }
    return formatter;
}

void showNumber(pf::TextField* field, pf::Stepper* stepper, const QVariant& value)
{
    if (!pf::isNumber(value)) {
        // No value, not an empty text: a formatter refuses to parse one and the field would
        // go on showing the number it showed before.
        if (field)
            field->setObjectValue(QVariant());
        return;
    }
    if (field)
        field->setObjectValue(value.toDouble());
    if (stepper)
        stepper->setDoubleValue(value.toDouble());
}

} // namespace VNQLPaneControls
