#pragma once

#include "inspectors/VNQLLayersRowCell.h"

#include "platform/ui/TableCellView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TextField.h"

#include <QPointer>

class PWDrawableObject;

// The cell of a drawable object's row in the layers panel: its icon, its name (editable),
// lock and visibility buttons. It follows the object by key-value observing; the icon is
// redrawn a moment after the object's look stops changing.
class VNQLGraphicObjectCellView : public pf::TableCellView, public VNQLLayersRowCell {
    Q_OBJECT
    PF_CLASS(VNQLGraphicObjectCellView)
public:
    static constexpr double kIconUpdateDelay = 0.2;

    explicit VNQLGraphicObjectCellView(QWidget* parent = nullptr);
    ~VNQLGraphicObjectCellView() override;

    void setObjectValue(const QVariant& value) override;
    pf::Ref<PWDrawableObject> drawable() const { return mDrawableObject; }
    void setDrawable(const pf::Ref<PWDrawableObject>& object);

    pf::TextField* nameField() const { return mNameField; }
    pf::TextField* auxInfoField() const { return mAuxInfoField; }
    pf::Button* lockButton() const { return mLockButton; }
    pf::Button* visibleButton() const { return mVisibleButton; }

    void setLocked(bool locked);
    void setObjectVisible(bool visible);
    void setName(const QString& name);
    void setIcon(const QImage& icon);
    void setVisual_change();
    void updateIcon();

    void lockDrawableAction(const QVariant& sender);
    void visibleDrawableAction(const QVariant& sender);
    void zoomMainViewToObjectAction(const QVariant& sender);
    void nameAction(const QVariant& sender);
    void selectNameForEditingAction(const QVariant& sender) override;
    void updateRowContextualMenu(pf::Menu& menu) override;

    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;

private:
    void unbind();

    QPointer<pf::TextField> mNameField;
    QPointer<pf::TextField> mAuxInfoField;
    QPointer<pf::ImageView> mIconView;
    QPointer<pf::Button> mDeleteButton;
    QPointer<pf::Button> mLockButton;
    QPointer<pf::Button> mVisibleButton;
    pf::Ref<PWDrawableObject> mDrawableObject;
    quint64 mPendingIconUpdate = 0;
};
