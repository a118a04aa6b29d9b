#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/View.h"

#include <QImage>
#include <QPointer>

#include <memory>

namespace pf {
class Gradient;
class ViewController;
} // namespace pf
class QPainter;
class VNQLTabLayer;
class VNQLTabView;

// One tab of a sidebar: the panel's view, the controller that owns it, and the title, icon
// and tool tip the strip shows for it. Known by its identifier, the nib name of its
// controller.
class VNQLTabContentView : public pf::View, public pf::ToolTipOwner {
    Q_OBJECT
    PF_CLASS(VNQLTabContentView)
public:
    // States of the tab in the strip.
    enum State { Unselected = 0, UnselectedHighlighted = 1, Selected = 2, SelectedHighlighted = 3 };

    explicit VNQLTabContentView(const QRectF& frame = {}, QWidget* parent = nullptr);
    ~VNQLTabContentView() override;

    virtual QString title() const { return m_title; }
    void setTitle(const QString& title);
    virtual QString tabIdentifier() const { return m_identifier; }
    void setTabIdentifier(const QString& identifier) { m_identifier = identifier; }
    virtual QString tooltip() const { return m_tooltip; }
    void setTooltip(const QString& tooltip) { m_tooltip = tooltip; }
    virtual QImage icon() const { return m_icon; }
    void setIcon(const QImage& icon);
    // The plain icon when no selected icon is set.
    virtual QImage selectedIcon() const { return m_selectedIcon.isNull() ? icon() : m_selectedIcon; }
    void setSelectedIcon(const QImage& icon) { m_selectedIcon = icon; }

    virtual VNQLTabView* tabView() const;
    void setTabView(VNQLTabView* tabView);
    // The panel's view, a subview filling tabContentRect.
    QWidget* contentView() const { return m_content; }
    void setContentView(QWidget* view);
    // The tab's bounds less the strip at the top.
    QRectF tabContentRect() const;
    virtual pf::Ref<pf::ViewController> viewController() const { return m_controller; }
    // Takes the controller's view as content, its nib name as identifier, its title, and its
    // tab icon and tool tip when it answers them; keeps the controller. Asserts a controller.
    void setContentViewWithController(const pf::Ref<pf::ViewController>& controller);

    virtual bool isTitleVisible() const { return m_showTitle; }
    void setTitleVisible(bool visible) { m_showTitle = visible; }
    virtual bool isIconVisible() const { return m_showIcon; }
    void setIconVisible(bool visible) { m_showIcon = visible; }

    int state() const { return m_state; }
    void setState(int state) { m_state = state; }
    bool isHighlighted() const { return m_state == UnselectedHighlighted || m_state == SelectedHighlighted; }
    virtual void setHighlighted(bool highlighted);
    bool isSelected() const { return m_state == Selected || m_state == SelectedHighlighted; }
    // Shows the panel and puts the tab on top of its neighbours in the strip.
    virtual void becomeSelected();
    virtual void resignSelected();

    // The tab's picture in the strip, made on first use; null for a stand-in.
    virtual VNQLTabLayer* tabLayer();
    VNQLTabLayer* existingTabLayer() const { return m_layer.get(); }
    // Places the title and icon within the layer.
    void layoutSublayersOfLayer(VNQLTabLayer& layer);
    void drawLayer(const VNQLTabLayer& layer, QPainter& painter) const;

    // Position in the tab view, -1 when in none.
    int index() const;
    // The width the tab needs for its icon and title.
    virtual double widthNeededForTab() const;
    // The title's font and colour for the strip.
    static QFont defaultTitleFont();
    static double defaultTitleFontSize() { return 12.0; }
    // Asks the strip to show the tab again.
    void redisplay();
    // The tool tip, else the title.
    QString toolTipText() const;
    QString stringForToolTip(pf::View* view, int tag, QPointF point, const QVariant& userData) override;
    QString description() const override;

    // The background of the tab in the strip: a rounded rectangle filled with the state's
    // gradient and framed.
    void drawTabBackgroundInRect(QPainter& painter, const QRectF& rect) const;
    // Background, icon and title at `rect`.
    void drawTabInRect(QPainter& painter, const QRectF& rect);
    static pf::Ref<pf::Gradient> tabBackgroundForState(int state);
    // A picture of the tab view's visible panel with this tab above it, to drag.
    QImage dragImage();

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;
    void setFrameSize(QSizeF size) override;

private:
    void layoutContent();
    // Whether `view` is the view of the tab's controller, which goes with the controller.
    bool ownedByController(const QWidget* view) const;
    void applyStateToLayer();

    QString m_title;
    QString m_identifier;
    QString m_tooltip;
    QImage m_icon;
    QImage m_selectedIcon;
    QPointer<QWidget> m_content;
    QPointer<pf::View> m_tabView;
    pf::Ref<pf::ViewController> m_controller;
    std::unique_ptr<VNQLTabLayer> m_layer;
    bool m_renderTabForDrag = false;
    bool m_showTitle = true;
    bool m_showIcon = true;
    int m_state = Unselected;
};
