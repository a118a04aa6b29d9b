#include "inspectors/VNQLGenericObjectTrampoline.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/ui/Bundle.h"
#include "widgets/String+CamelCase.h"

PF_DEFINE_CLASS(VNQLGenericObjectTrampoline, VNQLGenericObjectController) {}

pf::Reflective* VNQLGenericObjectTrampoline::trampolineTarget() const
{
    return m_targetToken.expired() ? nullptr : m_target;
}

void VNQLGenericObjectTrampoline::setTrampolineTarget(pf::Reflective* target)
{
    m_target = target;
    m_targetToken = target ? target->livenessToken() : std::weak_ptr<void>();
}

void VNQLGenericObjectTrampoline::setValueForKeyPathInPane(const QVariant& value, const QString& keyPath)
{
    if (pf::isMultipleValuesMarker(value)) {
        setMixedValueForKeyPath(keyPath);
    } else if (pf::Reflective* target = trampolineTarget()) {
        const QString key = lastComponent(keyPath);
        try {
            target->setValueForKey(value, key);
        } catch (const pf::Exception& e) {
            RVLogObjCMethod("%s does not implement -%s (%s)", qPrintable(target->className()),
                            qPrintable(pf::setterSelector(key)), qPrintable(e.reason()));
        }
    }
    observedValueForKeyDidChangeTo(keyPath, value);
}

void VNQLGenericObjectTrampoline::setMixedValueForKeyPath(const QString& keyPath)
{
    pf::Reflective* target = trampolineTarget();
    if (!target)
        return;
    const QString selector = QStringLiteral("setMixedValueFor") + capitalizedStringPreservingCamelCase(lastComponent(keyPath));
    if (target->respondsTo(selector)) {
        target->perform(selector);
        return;
    }
    RVLogObjCMethod("%s does not respond to -%s, attempting to set generic multiple values string instead",
                    qPrintable(target->className()), qPrintable(selector));
    setValueForKeyPathInPane(
        pf::Bundle::main().localizedString(QStringLiteral("<multiple values>"), QStringLiteral("<multiple values>")),
        keyPath);
}
