#pragma once

#include "platform/ui/Control.h"

#include <QList>

namespace pf {

class Menu;

enum class SegmentSwitchTracking { SelectOne = 0, SelectAny = 1, Momentary = 2 };

// A row of segments, each with a label or image, width (0: fitted), tool tip, enabled flag,
// selection, tag and optional menu. Clicking an enabled segment selects it as the tracking
// mode says and sends the control's action; the receiver reads selectedSegment. Segments are
// validated one by one by the responder that would receive the action (each as an item with
// the segment's tag), which enables or disables them.
class SegmentedControl : public Control {
    Q_OBJECT
    PF_CLASS(SegmentedControl)
public:
    explicit SegmentedControl(QWidget* parent = nullptr);

    int segmentCount() const { return int(m_segments.size()); }
    // Adds empty segments or drops segments from the end.
    void setSegmentCount(int count);

    QString labelForSegment(int segment) const;
    void setLabel(const QString& label, int segment);
    Ref<Image> imageForSegment(int segment) const;
    void setImage(const Ref<Image>& image, int segment);
    double widthForSegment(int segment) const;
    void setWidth(double width, int segment);
    QString toolTipForSegment(int segment) const;
    void setToolTip(const QString& toolTip, int segment);
    bool isEnabledForSegment(int segment) const;
    void setEnabled(bool enabled, int segment);
    int tagForSegment(int segment) const;
    void setTag(int tag, int segment);
    Ref<Menu> menuForSegment(int segment) const;
    void setMenu(const Ref<Menu>& menu, int segment);
    using Control::setEnabled;
    using Control::setTag;
    using Control::setToolTip;

    SegmentSwitchTracking trackingMode() const { return m_tracking; }
    void setTrackingMode(SegmentSwitchTracking mode) { m_tracking = mode; }
    // The selected (last selected, for select-any) segment; -1 for none.
    int selectedSegment() const { return m_selected; }
    // Selects one segment (deselecting the others unless select-any); -1 deselects all.
    // False for a segment out of range.
    bool setSelectedSegment(int segment);
    bool isSelectedForSegment(int segment) const;
    void setSelected(bool selected, int segment);
    // Selects the segment with the tag; false when none has it.
    bool selectSegmentWithTag(int tag);

    // Validates every segment against the receiver of the action.
    void validateSegments();

    // The segment's frame in bounds coordinates.
    QRectF frameForSegment(int segment) const;
    int segmentAt(QPointF point) const;
    void sizeToFit() override;

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    struct Segment {
        QString label;
        Ref<Image> image;
        double width = 0;
        QString toolTip;
        bool enabled = true;
        bool selected = false;
        int tag = 0;
        Ref<Menu> menu;
    };

    bool valid(int segment) const { return segment >= 0 && segment < m_segments.size(); }
    double fittedWidth(const Segment& segment) const;
    void showMenu(int segment);
    void rebuildToolTips();

    QList<Segment> m_segments;
    SegmentSwitchTracking m_tracking = SegmentSwitchTracking::SelectOne;
    int m_selected = -1;
    int m_pressed = -1;
    bool m_pressInside = false;
    int m_pressNumber = 0;
};

} // namespace pf
