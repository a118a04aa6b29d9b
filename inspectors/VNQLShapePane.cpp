#include "inspectors/VNQLShapePane.h"

#include "inspectors/VNQLGeometryController.h"
#include "inspectors/VNQLPaneControls.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Control.h"
#include "platform/ui/TextField.h"

PF_DEFINE_CLASS(VNQLShapePane, VNQLGenericObjectController)
{
    b.method("setLocked:", &VNQLShapePane::setLocked);
    b.method("setMixedValueForLocked", &VNQLShapePane::setMixedValueForLocked);
}

VNQLShapePane::VNQLShapePane(const QString& nibName) : VNQLGenericObjectController(nibName) {}

bool VNQLShapePane::shouldSetValue(QVariant*, pf::Object* object, const QString&)
{
    if (!object)
        return false;
    try {
        return !pf::variantToBool(object->valueForKey(QStringLiteral("locked")));
    } catch (const pf::Exception&) {
        return true;
    }
}

void VNQLShapePane::setLocked(const QVariant& value)
{
    enableControls(!pf::variantToBool(value));
}

void VNQLShapePane::setMixedValueForLocked()
{
    enableControls(true);
}

void VNQLShapePane::setControlStateForNil()
{
    enableControls(false);
}

void VNQLShapePane::enableControls(bool enabled)
{
    m_controlsEnabled = enabled;
    for (const QPointer<QWidget>& control : std::as_const(m_lockControls))
        if (control)
            control->setEnabled(enabled);
}

std::shared_ptr<pf::NumberFormatter> VNQLShapePane::unitsFormatter() const
{
    auto* tab = dynamic_cast<VNQLGeometryController*>(dataSource());
    if (tab && tab->drawingUnitsFormatter())
        return tab->drawingUnitsFormatter();
    return VNQLPaneControls::decimalFormatter();
}

void VNQLShapePane::addLengthField(pf::TextField* field, const QString& percentageProperty, bool boundedPercentage)
{
    m_lengthFields.append({field, percentageProperty, boundedPercentage});
    field->setFormatter(unitsFormatter());
}

void VNQLShapePane::applyLengthFormatters()
{
    for (const LengthField& length : std::as_const(m_lengthFields)) {
        if (!length.field)
            continue;
        const bool asPercentage = !length.property.isEmpty() && propertyIsExpressedAsPercentage(length.property);
        length.field->setFormatter(asPercentage ? VNQLPaneControls::percentageFormatter(length.bounded) : unitsFormatter());
        length.field->update();
    }
}

void VNQLShapePane::changeUIStateForPercentageProperty(bool, const QString&)
{
    applyLengthFormatters();
}

void VNQLShapePane::formatterChanged(const pf::Notification&)
{
    auto* tab = dynamic_cast<VNQLGeometryController*>(dataSource());
    if (!tab || !tab->drawingUnitsFormatter())
        return;
    applyLengthFormatters();
    reloadData();
}

void VNQLShapePane::write(const QVariant& sender, const QString& keyPath)
{
    takeCommonValueFrom(pf::Control::fromSender(sender), keyPath);
}
