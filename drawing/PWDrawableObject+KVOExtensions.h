#pragma once

#include <QStringList>

class PWDrawableObject;

namespace pf {
class Reflective;
}

// The key paths inspectors observe on each kind of drawable (each class appends its own to
// its superclass's list), and the first values sent to a new observer.
struct PWDrawableObjectKVOExtensions {
    static void install();

    // Calls the observer once per key path with a change whose new value is the object's
    // value there (the null marker where it has none); nothing for no key paths.
    static void sendInitialValuesForProperties(PWDrawableObject& object, const QStringList& keyPaths,
                                               pf::Reflective& observer, void* context);
    // The same for every key path of the object's class.
    static void sendInitialValuesForAllPropertiesToObserver(PWDrawableObject& object, pf::Reflective& observer,
                                                            void* context);
};
