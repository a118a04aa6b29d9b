#pragma once

#include "platform/graphics/Color.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pf {

// How a template image is shown: it takes the colour of its state.
enum class TemplateState { Normal, Disabled, Pressed, On };

// The platform's system colours, resolved from the application palette at the time they are
// asked for, so they follow the desktop's theme. The control tint is the palette's highlight.
// This is the one place that maps them; views and cells ask here.
class SystemColor {
public:
    static Color windowBackground();
    static Color windowFrame();
    static Color underPageBackground();
    static Color control();
    static Color controlBackground();
    static Color controlText();
    static Color disabledControlText();
    static Color text();
    static Color textBackground();
    static Color selectedText();
    static Color selectedTextBackground();
    static Color selectedControl();
    static Color selectedControlText();
    static Color alternateSelectedControl();
    static Color alternateSelectedControlText();
    static Color secondarySelectedControl();
    static Color currentControlTint();
    static Color keyboardFocusIndicator();
    static Color grid();
    static Color knob();
    static Color highlight();
    static Color shadow();
    // Row backgrounds of tables that alternate them.
    static QList<Color> alternatingContentBackgrounds();

    // A system colour by its platform name ("windowBackgroundColor", "gridColor", ...);
    // invalid for a name that is none.
    static Color named(const QString& name);
    static QStringList names();

    // The colour a template image takes in `state`.
    static Color templateTint(TemplateState state);

private:
    SystemColor() = delete;
};

} // namespace pf
