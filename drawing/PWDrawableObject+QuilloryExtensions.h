#pragma once

#include <QString>

class PWDrawableObject;

namespace pf {
class Class;
}

// Double-click conversion of drawables: which kind each class turns into, and the question
// asked before a special shape (a round rectangle, arc, regular polygon or reshapable shape)
// gives up its special status. Installed into the class tables, where the framework asks.
struct PWDrawableObjectQuilloryExtensions {
    // User default: true suppresses the confirmation.
    static const QString kConfirmObjectConversionAlertKey;

    static void install();

    // Whether `object` may be converted into `cls`; asks the user (once, unless suppressed) for
    // the special shapes.
    static bool confirmObjectConversion(PWDrawableObject& object, const pf::Class& cls);
};
