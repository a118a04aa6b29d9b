#include "inspectors/DuplicateDialogFields.h"

#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"

#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <limits>

namespace DuplicateDialogFields {

int maximumCopies()
{
    return PWObjectDrawingLayer::kMaxCopies;
}

QString currentText(const pf::TextField* field)
{
    if (!field)
        return {};
    if (const QLineEdit* editor = field->currentEditor())
        return editor->text();
    return field->stringValue();
}

std::optional<double> number(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    // The values travel on as single-precision floats.
    if (!ok || !std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return value;
}

std::optional<double> number(const pf::TextField* field)
{
    return number(currentText(field));
}

std::optional<int> copies(const QString& text)
{
    const std::optional<double> value = number(text);
    if (!value || *value < 1 || *value != std::floor(*value))
        return std::nullopt;
    return int(std::min(*value, double(maximumCopies())));
}

std::optional<int> copies(const pf::TextField* field)
{
    return copies(currentText(field));
}

void setNumber(pf::TextField* field, double value)
{
    if (field)
        field->setStringValue(QString::number(value, 'g', 10));
}

pf::TextField* addLabelledField(QWidget* parent, const QString& label, int y, int labelWidth)
{
    pf::TextField* caption = pf::TextField::label(label, parent);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setGeometry(10, y + 2, labelWidth, 20);
    auto* field = new pf::TextField(parent);
    field->setGeometry(labelWidth + 18, y, 90, 24);
    field->setSendsActionOnEndEditing(true);
    return field;
}

pf::Button* addButton(QWidget* parent, const QString& title, const QRect& frame)
{
    pf::Button* button = pf::Button::pushButton(title, parent);
    button->setGeometry(frame);
    return button;
}

} // namespace DuplicateDialogFields
