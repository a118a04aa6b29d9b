#pragma once

#include "styleeditor/VNQLStyleComponentController.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

class PWTilingFill;

// The image tiling fill's pane: the tile image (chosen from a file or pasted) and the
// opacity it is drawn at.
class VNQLStyleEditSub_PWTilingFill : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWTilingFill)
public:
    explicit VNQLStyleEditSub_PWTilingFill(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;

    void fileButtonAction(const QVariant& sender);
    void pasteButtonAction(const QVariant& sender);
    void opacityAction(const QVariant& sender);
    void setImage(const QVariant& value);
    void setOpacity(const QVariant& value);
    // Gives the fill the bytes of an image file, refreshes the well and names the undo step;
    // bytes that are not an image change nothing and name nothing. Answers whether the fill
    // took them.
    bool takeImageData(const QByteArray& data);

    void setStatesForLock(bool locked, bool enabled) override;

    pf::ImageView* imageView() const { return mImageView; }
    pf::TextField* opacityTextField() const { return mOpacityTextField; }
    pf::Button* pasteButton() const { return mPasteButton; }

    void loadView() override;

private:
    PWTilingFill* tilingFill() const;

    QPointer<pf::ImageView> mImageView;
    QPointer<pf::Button> mFileButton;
    QPointer<pf::Button> mPasteButton;
    QPointer<pf::TextField> mOpacityTextField;
    QPointer<pf::Stepper> mOpacityStepper;
};
