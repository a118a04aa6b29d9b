#pragma once

#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace pf {
class Button;
class TextField;
} // namespace pf

// What the duplicate dialogs read from their fields and how they lay them out. A value is
// taken only when the whole text is a number in the user's locale (or the C locale) that a
// single-precision float holds; the duplication never sees anything else.
namespace DuplicateDialogFields {

// The most copies one duplication makes.
int maximumCopies();

// The field's text, including what is being typed into it.
QString currentText(const pf::TextField* field);
// A finite number, or nothing.
std::optional<double> number(const QString& text);
std::optional<double> number(const pf::TextField* field);
// A whole number of at least 1, capped at maximumCopies(), or nothing.
std::optional<int> copies(const QString& text);
std::optional<int> copies(const pf::TextField* field);

// Shows a number in a field as "%g" would, in the C locale.
void setNumber(pf::TextField* field, double value);

// Layout helpers: a right-aligned label and an editable field in a row at `y`.
pf::TextField* addLabelledField(QWidget* parent, const QString& label, int y, int labelWidth = 130);
pf::Button* addButton(QWidget* parent, const QString& title, const QRect& frame);

} // namespace DuplicateDialogFields
