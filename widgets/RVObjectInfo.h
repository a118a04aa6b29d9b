#pragma once

namespace pf {
class Reflective;
}

// A dump of an object's class for debugging: its superclasses, operations and properties.
class RVObjectInfo {
public:
    static void logObjectInfo(const pf::Reflective* object);
};
