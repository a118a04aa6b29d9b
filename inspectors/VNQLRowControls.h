#pragma once

#include <QString>

class QWidget;

namespace pf {
class Button;
class Reflective;
class TextField;
} // namespace pf

// The small controls the layers panel's rows share, each sending its action to the row's cell.
namespace VNQLRowControls {

// A name the user reads in place and edits by typing into it once renaming has begun (a
// VNQLRowNameField): borderless, no background.
pf::TextField* nameField(QWidget* parent, pf::Reflective* target, const QString& action);
// Opens a name made by nameField for typing, all of it selected.
void beginRenaming(pf::TextField* field);
// A borderless toggle shown as an image: `off` while off, `on` while on.
pf::Button* imageToggle(const QString& on, const QString& off, QWidget* parent, pf::Reflective* target = nullptr,
                        const QString& action = {});

} // namespace VNQLRowControls
