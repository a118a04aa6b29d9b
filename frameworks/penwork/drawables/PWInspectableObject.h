#pragma once

#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Reflective.h"

#include <QStringList>
#include <QVariantMap>

// An object an inspector observes: it lists the key paths worth observing and can hand an
// observer their current values at once, as one change notification per key path.
inline const QString kPWInspectableObjectProtocol = QStringLiteral("PWInspectableObject");

class PWInspectableObject {
public:
    virtual ~PWInspectableObject() = default;

    // The key paths an inspector may observe on this object.
    virtual QStringList inspectableKeyPaths() const = 0;
    // One observeValueForKeyPath call per inspectable key path, its new value being the current
    // value or pf::null() when there is none.
    virtual void sendInitialValuesForAllPropertiesToObserver(pf::Reflective* observer, void* context) = 0;

    // The notifications themselves, for adopters: a key path that cannot be read sends null.
    static void sendInitialValues(pf::Reflective& object, const QStringList& keyPaths, pf::Reflective* observer,
                                  void* context)
    {
        if (!observer)
            return;
        QVariantMap change;
        change.insert(pf::NSKeyValueChangeKindKey, int(pf::ChangeKind::Setting));
        for (const QString& keyPath : keyPaths) {
            QVariant value;
            try {
                value = object.valueForKeyPath(keyPath);
            } catch (const pf::Exception&) {
                // An unknown key path sends null rather than ending the whole round.
                value = QVariant();
            }
            change.insert(pf::NSKeyValueChangeNewKey, value.isValid() ? value : pf::null());
            observer->observeValueForKeyPath(keyPath, &object, change, context);
        }
    }
};
