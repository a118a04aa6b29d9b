#pragma once

#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include "inspectors/VNQLGenericObjectController.h"

#include <QPointer>

#include <memory>

namespace pf {
class NumberFormatter;
class Stepper;
class TextField;
} // namespace pf

// The common ground of the Geometry tab's shape panes (arcs, paths, polygons, rounded
// rectangles, images): locked objects take no edits, the controls follow the lock, an empty
// selection disables them, and length fields follow the tab's display units.
class VNQLShapePane : public VNQLGenericObjectController {
    PF_CLASS(VNQLShapePane)
public:
    explicit VNQLShapePane(const QString& nibName);

    bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) override;
    virtual void setLocked(const QVariant& value);
    virtual void setMixedValueForLocked();
    void setControlStateForNil() override;
    void formatterChanged(const pf::Notification& notification) override;
    void changeUIStateForPercentageProperty(bool asPercentage, const QString& keyPath) override;

    // Whether the pane's controls are enabled now (for the lock and the selection).
    bool controlsEnabled() const { return m_controlsEnabled; }

protected:
    // Enables the controls that follow the lock; panes add their own conditions.
    virtual void enableControls(bool enabled);
    // The Geometry tab's formatter for lengths, or a plain decimal one.
    std::shared_ptr<pf::NumberFormatter> unitsFormatter() const;
    // A length field, and the property whose percentage it may show (empty for none).
    void addLengthField(pf::TextField* field, const QString& percentageProperty = {}, bool boundedPercentage = false);
    void applyLengthFormatters();
    void write(const QVariant& sender, const QString& keyPath);

    QList<QPointer<QWidget>> m_lockControls;

private:
    struct LengthField {
        QPointer<pf::TextField> field;
        QString property;
        bool bounded = false;
    };
    QList<LengthField> m_lengthFields;
    bool m_controlsEnabled = true;
};
