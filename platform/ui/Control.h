#pragma once

#include "platform/ui/ActionCell.h"
#include "platform/ui/View.h"

#include <QVariant>

namespace pf {

// A view that shows a value through its cell and sends an action when the user changes it:
// the base of buttons, sliders, text fields and the other controls. The target, action,
// value and enabled state live in the cell; with no target the action travels the responder
// chain. The sender its receiver gets is the control (a QWidget* in the QVariant; see
// fromSender). Clicks are tracked from the view's mouse events: the cell is highlighted
// while the pointer is down inside, and a release inside completes the click.
class Control : public View {
    Q_OBJECT
    PF_CLASS(Control)
public:
    // A control with a plain action cell.
    explicit Control(QWidget* parent = nullptr);
    Control(const Ref<Cell>& cell, QWidget* parent = nullptr);
    ~Control() override;

    // The control a sender value holds, or null.
    static Control* fromSender(const QVariant& sender);
    QVariant senderValue() const;

    Cell* cell() const { return m_cell.get(); }
    const Ref<Cell>& cellRef() const { return m_cell; }
    // Replaces the cell (a custom cell subclass); the old one's target, action and value are
    // not carried over. A null cell is refused.
    virtual void setCell(const Ref<Cell>& cell);

    // --- Target and action (kept by an action cell; a plain cell has none)
    QString action() const;
    void setAction(const QString& selector);
    Reflective* target() const;
    void setTarget(Reflective* target);
    // Sends the action to the target or along the chain; false when nobody took it or
    // there is no action.
    virtual bool sendAction();
    bool sendAction(const QString& action, Reflective* target);
    bool isContinuous() const { return m_cell->isContinuous(); }
    void setContinuous(bool continuous) { m_cell->setContinuous(continuous); }

    // --- Value
    QVariant objectValue() const { return m_cell->objectValue(); }
    virtual void setObjectValue(const QVariant& value);
    QString stringValue() const { return m_cell->stringValue(); }
    virtual void setStringValue(const QString& text);
    int intValue() const { return m_cell->intValue(); }
    void setIntValue(int value) { setObjectValue(value); }
    int integerValue() const { return intValue(); }
    void setIntegerValue(int value) { setObjectValue(value); }
    double doubleValue() const { return m_cell->doubleValue(); }
    void setDoubleValue(double value) { setObjectValue(value); }
    double floatValue() const { return doubleValue(); }
    void setFloatValue(double value) { setObjectValue(value); }
    std::shared_ptr<NumberFormatter> formatter() const { return m_cell->formatter(); }
    void setFormatter(std::shared_ptr<NumberFormatter> formatter);

    // --- Appearance
    // Both the cell's and the widget's flag.
    bool isEnabled() const { return m_cell->isEnabled() && QWidget::isEnabled(); }
    void setEnabled(bool enabled);
    bool isHighlighted() const { return m_cell->isHighlighted(); }
    void highlight(bool highlighted);
    ControlSize controlSize() const { return m_cell->controlSize(); }
    void setControlSize(ControlSize size);
    QFont font() const { return m_cell->font(); }
    void setFont(const QFont& font);
    Qt::Alignment alignment() const { return m_cell->alignment(); }
    void setAlignment(Qt::Alignment alignment);
    // Resizes the frame to what the cell needs.
    virtual void sizeToFit();

    // --- Clicks
    // As if the user clicked: highlights, completes the click (the cell's next state and the
    // action). Does nothing while disabled.
    virtual void performClick(const QVariant& sender = {});
    bool isTracking() const { return m_tracking; }
    // Ends the current press without completing the click (a menu took it over).
    void cancelTracking();

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;
    bool acceptsFirstMouse(const Event* event) const override { return true; }

protected:
    // A point of a press or drag, in bounds coordinates: controls whose value follows the
    // pointer (sliders) set it here. `initial` for the press itself.
    virtual void trackPoint(QPointF point, bool initial) {}
    // The press ended, inside the control or not: by default a release inside completes
    // the click.
    virtual void trackingEnded(bool inside);
    // A completed click: the cell moves to its next state where it shows state, then the
    // action goes.
    virtual void clickCompleted();
    // The cell's frame inside the control; the bounds by default.
    virtual QRectF cellFrame() const { return bounds(); }
    ActionCell* actionCell() const;

private:
    void adoptCell();

    Ref<Cell> m_cell;
    bool m_tracking = false;
    QPointF m_lastPoint;
};

} // namespace pf
