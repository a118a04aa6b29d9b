#pragma once

#include "platform/foundation/Reflective.h"

#include <QStringList>

// An object an inspector observes: it lists the key paths worth observing and can hand an
// observer their current values at once, as one change notification per key path.
inline const QString kPWInspectableObjectProtocol = QStringLiteral("PWInspectableObject");

class PWInspectableObject {
public:
    virtual ~PWInspectableObject() = default;

    // The key paths an inspector may observe on this object.
    virtual QStringList inspectableKeyPaths() const = 0;
    // One observeValueForKeyPath call per inspectable key path, its new value being the current
    // value or pf::null() when there is none (RVObservableObject::sendInitialValues does it).
    virtual void sendInitialValuesForAllPropertiesToObserver(pf::Reflective* observer, void* context) = 0;
};
