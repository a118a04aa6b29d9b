#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/ClipView.h"

#include <QList>

// The clip view of a document window: keeps a drawing smaller than the window centred, and
// paints the page round it in the border colour with a shadow from its edge.
class RVShadowClipView : public pf::ClipView {
    Q_OBJECT
    PF_CLASS(RVShadowClipView)
public:
    explicit RVShadowClipView(QWidget* parent = nullptr);
    explicit RVShadowClipView(const QRectF& frame, QWidget* parent = nullptr);

    // Null for no shadow (the page is framed in light grey instead).
    pf::Ref<pf::Shadow> shadow() const { return m_shadow; }
    void setShadow(const pf::Ref<pf::Shadow>& shadow);
    bool centresDocument() const { return m_centresDocument; }
    void setCentresDocument(bool centres);
    // Top, left, bottom and right, drawn as page round the document; empty for none. A list
    // of any other length than four counts as none.
    const QList<double>& borderMargins() const { return m_borderMargins; }
    void setBorderMargins(const QList<double>& margins);
    void setBorderMarginTop(float top, float left, float bottom, float right);
    pf::Color borderColour() const { return m_borderColour; }
    void setBorderColour(const pf::Color& colour);

    // Scrolls so that each axis on which the document is smaller than the clip view shows it
    // in the middle.
    void centerDocument();
    // Whether the document is narrower or lower than the clip view (to whole points).
    bool edgeOfDocumentFrameVisible() const;
    // The document with its border margins, in this view's coordinates.
    QRectF pageRect() const;

    QPointF constrainScrollPoint(QPointF proposed) const override;
    void viewBoundsChanged(const pf::Notification& notification) override;
    void viewFrameChanged(const pf::Notification& notification) override;
    bool copiesOnScroll() const override;
    void drawRect(const QRectF& dirtyRect) override;

private:
    bool isInMainWindow() const;
    // What both notifications do before or after the platform's handling.
    void followDocumentChange();

    pf::Ref<pf::Shadow> m_shadow;
    bool m_centresDocument = true;
    QList<double> m_borderMargins;
    pf::Color m_borderColour;
};
