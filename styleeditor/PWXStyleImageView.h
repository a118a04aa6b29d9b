#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/ImageView.h"

// A well showing the swatch of a style or clip-art master (any library object). The swatch
// follows edits of the object shown; the object can be dragged out inside the program and a
// style dropped from elsewhere replaces it and sends the well's action to its target.
class PWXStyleImageView : public pf::ImageView, public pf::DraggingSource {
    Q_OBJECT
    PF_CLASS(PWXStyleImageView)
public:
    explicit PWXStyleImageView(QWidget* parent = nullptr);
    ~PWXStyleImageView() override;

    pf::Ref<pf::Object> style() const { return mStyle; }
    // Shows `object` (a style or symbol master, or null) and follows its changes only.
    void setStyle(const pf::Ref<pf::Object>& object);
    void updateImage();
    void styleChanged();

    // The image view's cell keeps no target or action: the well keeps its own, for drops.
    pf::Reflective* target() const { return mTarget; }
    void setTarget(pf::Reflective* target) { mTarget = target; }
    QString action() const { return mAction; }
    void setAction(const QString& selector) { mAction = selector; }

    // A well loaded from an interface file: the same drop types as one made in code.
    void awakeFromNib();

    void mouseDown(const pf::Event& event) override;
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }

    // Dragging source: only inside the program.
    unsigned draggingSourceOperationMask(pf::DraggingContext context) override;

    // Drop target: styles from any source but this well.
    unsigned draggingEntered(const pf::DraggingInfo& info) override;
    bool prepareForDragOperation(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;

private:
    void registerStyleDragTypes();
    bool isOwnDrag(const pf::DraggingInfo& info) const;

    pf::Ref<pf::Object> mStyle;
    pf::Reflective* mTarget = nullptr;
    QString mAction;
    quint64 mObservation = 0;
};
