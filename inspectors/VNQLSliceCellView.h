#pragma once

#include "inspectors/VNQLLayersRowCell.h"

#include "platform/ui/TableCellView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TextField.h"

#include <QPointer>

class PWXSlice;

// The cell of a slice's row in the layers panel: icon, name (editable), visibility and colour.
class VNQLSliceCellView : public pf::TableCellView, public VNQLLayersRowCell {
    Q_OBJECT
    PF_CLASS(VNQLSliceCellView)
public:
    explicit VNQLSliceCellView(QWidget* parent = nullptr);
    ~VNQLSliceCellView() override;

    void setObjectValue(const QVariant& value) override;
    pf::Ref<PWXSlice> slice() const { return mSlice; }
    void setSlice(const pf::Ref<PWXSlice>& slice);
    pf::TextField* nameField() const { return mNameField; }
    pf::ImageView* iconView() const { return mIconView; }
    pf::Button* visibleButton() const { return mVisibleButton; }
    pf::ColorWell* colourWell() const { return mColourWell; }

    // The title a typed name gives the slice: the name as typed, less the slice's position
    // number when the name still ends with it (the name shows "title position"). Digits the
    // user typed are kept.
    static QString titleForTypedName(const QString& typed, qint64 position);

    void setSliceVisible(bool visible);
    void setName(const QString& name);
    void setIcon(const QImage& icon);
    void setColour(const QColor& colour);

    void visibleSliceAction(const QVariant& sender);
    void zoomMainViewToObjectAction(const QVariant& sender);
    void nameAction(const QVariant& sender);
    void colourAction(const QVariant& sender);
    void selectNameForEditingAction(const QVariant& sender) override;
    void updateRowContextualMenu(pf::Menu& menu) override;

    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;

private:
    void unbind();

    pf::Ref<PWXSlice> mSlice;
    QPointer<pf::TextField> mNameField;
    QPointer<pf::ImageView> mIconView;
    QPointer<pf::Button> mVisibleButton;
    QPointer<pf::ColorWell> mColourWell;
};
