#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

#include <QList>

namespace pf {

// A control that shows a colour and edits it through the shared colour panel. A click
// activates it (Shift: without deactivating the other wells) or, when active, deactivates
// it; an active well takes the panel: the panel shows the well's colour and the colours the
// user picks come to every active well, which sends its action for each when continuous.
// Colours can be dragged out of a well and dropped on one ("application/x-color").
class ColorWell : public Control {
    Q_OBJECT
    PF_CLASS(ColorWell)
public:
    explicit ColorWell(QWidget* parent = nullptr);
    ~ColorWell() override;

    Color color() const { return m_color; }
    // Observable as "color"; an active well shows it in the panel as well.
    virtual void setColor(const Color& color);

    bool isActive() const { return m_active; }
    // Exclusive activation deactivates every other active well first.
    virtual void activate(bool exclusive);
    virtual void deactivate();
    // Deactivates every active well and leaves the panel without a target; the panel stays
    // as it is on screen and its colour is not touched.
    static void deactivateAll();
    static QList<ColorWell*> activeWells();

    bool isBordered() const { return m_bordered; }
    void setBordered(bool bordered);

    // A colour the panel delivers to this active well.
    void takeColorFromPanel(const Color& color);

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;

protected:
    void clickCompleted() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static void installPanelReceiver();

    Color m_color = Color::white();
    bool m_active = false;
    bool m_bordered = true;
    bool m_exclusiveClick = true;
    QPointF m_pressPoint;
    bool m_dragStarted = false;
};

} // namespace pf
