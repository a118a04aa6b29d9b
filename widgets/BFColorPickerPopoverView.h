#pragma once

#include "platform/ui/View.h"

#include <QPointer>

// The popover's content view. Dragging it moves the popover; let go 50 points or more from
// where it started, the pickers tear off into the colour panel at the same place on screen,
// otherwise the popover slides back.
class BFColorPickerPopoverView : public pf::View {
    Q_OBJECT
    PF_CLASS(BFColorPickerPopoverView)
public:
    static constexpr double kTearOffDistance = 50.0;

    using pf::View::View;
    ~BFColorPickerPopoverView() override;

    // The borrowed picker widget, laid out below the tab bar.
    QWidget* pickerView() const { return mPickerView; }
    void setPickerView(QWidget* view, double topInset);
    void setFrameSize(QSizeF size) override;

    bool isDragging() const { return mDragging; }
    QPointF originalWindowOrigin() const { return mOriginalWindowOrigin; }
    QPointF originalMouseOffset() const { return mOriginalMouseOffset; }

    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;

private:
    void layoutPickerView();

    bool mDragging = false;
    QPointF mOriginalWindowOrigin;
    QPointF mOriginalMouseOffset;
    QPointer<QWidget> mPickerView;
    double mPickerTopInset = 0;
};
