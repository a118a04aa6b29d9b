#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Cell.h"

class RVColourCell;

// What the table or outline hosting colour cells may say about them; optional.
class RVColourCellDelegate {
public:
    virtual ~RVColourCellDelegate() = default;
    // False keeps the picker from opening for the row.
    virtual bool colourCellShouldBeginTrackingInRow(RVColourCell& cell, int row) { return true; }
};

// A cell for table and outline rows that shows a colour bar; with its menu enabled, pressing it
// opens the pop-up colour picker under the cell and previews the colour under the mouse until
// the picker closes. One colour cell tracks at a time in the whole program.
class RVColourCell : public pf::Cell {
    PF_CLASS(RVColourCell)
public:
    static constexpr double kMaximumWidth = 40.0;
    static constexpr double kPickerSize = 225.0;

    RVColourCell() = default;
    RVColourCell(const RVColourCell& other) = default;

    pf::Ref<pf::Cell> copyCell() const override;

    pf::Color colorValue() const { return mColourRef; }
    void setColorValue(const pf::Color& colour);
    // A colour value (as a Ref<Color> or a QColor) also enables the cell.
    void setObjectValue(const QVariant& value) override;
    // A non-zero state highlights the cell (the picker is open); nothing else changes.
    void setState(pf::ControlState state) override;
    bool isColourHighlighted() const { return mHighlighted; }
    bool menuEnabled() const { return mMenuEnabled; }
    void setMenuEnabled(bool enabled) { mMenuEnabled = enabled; }

    static pf::Color trackingColour();
    static void setTrackingColour(const pf::Color& colour);
    static bool isTrackingInProgress();
    static pf::Ref<pf::Image> menuTriangleImageDark();
    static pf::Ref<pf::Image> menuTriangleImageLight();

    // The picker's action: previews the colour under the mouse.
    void colourChangeFromPicker(const QVariant& sender);
    void drawImmediately();

    // The inner colour bar for a cell frame, and the colour the cell shows now.
    static QRectF colourRectForFrame(const QRectF& frame);
    pf::Color shownColour() const;

    void drawInteriorWithFrame(const QRectF& frame, pf::View* view) override;
    // Opens the picker for a press on the cell; true when it was shown. The hosting view takes
    // the cell's value for the row afterwards.
    bool trackMouse(const pf::Event& event, const QRectF& cellFrame, pf::View* controlView, bool untilMouseUp);

private:
    void runTracking(const pf::Event& event);

    pf::Color mColourRef;
    bool mHighlighted = false;
    QRectF mFrame;
    QPointer<pf::View> mControlView;
    bool mMenuEnabled = false;
};
