#pragma once

#include "frameworks/penwork/layers/PWLayer.h"

#include <QSizeF>

// The graph paper of a drawing: lines every span (given in drawing units), each span divided
// into `divisions`, every `majors` spans a major line. The grid starts at the corner of the
// drawing's interior; grid locations are measured from there in drawing units. It never becomes
// the active layer and is not printed unless asked to be.
class PWGridLayer : public PWLayer {
    PF_CLASS(PWGridLayer)
public:
    PWGridLayer();

    // The span in drawing units (1 by default).
    double spanMultiplier() const { return m_span; }
    int divisions() const { return m_divisions; }
    int majors() const { return m_majors; }
    int rulerSteps() const { return m_rulerSteps; }
    // Set together, with one undo. A span that is not finite and above zero is refused;
    // the counts are kept within 1..kMaxCount.
    void setSpan(double span, int divisions, int majors, int rulerSteps);
    static constexpr int kMaxCount = 1000;
    // The span in points (the drawing's units; points without a drawing).
    double spanDistance() const;
    // The distance between division lines, in points.
    double divisionDistance() const;

    QColor spanColour() const { return m_spanColour; }
    void setSpanColour(const QColor& colour);
    QColor divisionColour() const { return m_divisionColour; }
    void setDivisionColour(const QColor& colour);
    QColor majorColour() const { return m_majorColour; }
    void setMajorColour(const QColor& colour);
    QColor themeColour() const { return m_themeColour; }
    // Sets the theme and the three line colours that follow from it.
    void setGridThemeColour(const QColor& colour);

    bool shouldDrawToPrinter() const override { return m_drawsToPrinter; }
    void setShouldDrawToPrinter(bool draws);
    // Vertical lines of an isometric grid.
    bool showsVerticalLines() const { return m_showsVerticalLines; }
    void setShowsVerticalLines(bool shows);

    // Widens the margins evenly so the interior holds a whole number of spans each way.
    void tweakDrawingMargins();
    // Grid units (drawing units) to points, and grid locations to and from drawing points.
    QSizeF quartzDistanceForGridDistance(const QSizeF& gridDistance) const;
    QPointF pointForGridLocation(const QPointF& location) const;
    QPointF gridLocationForPoint(const QPointF& point) const;
    // The nearest grid intersection (of the division lines).
    virtual QPointF snapPointToGrid(const QPointF& point) const;

    // Takes every grid setting of `other` (not the layer's name, lock or visibility).
    void copyGridSettingsFrom(const PWGridLayer& other);

    bool layerMayBecomeActive() const override { return false; }
    // A drawing keeps its one graph paper: it is hidden or set up again, never deleted.
    bool layerMayBeDeleted() const override { return false; }
    bool respondsTo(const QString& selector) const override;
    pf::Ref<PWLayer> duplicateLayer() const override { return nullptr; }
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // The corner grid locations are measured from, and the points per drawing unit.
    QPointF gridOrigin() const;
    double pointsPerUnit() const;
    // The area the grid covers within `rect`.
    QRectF gridArea(const QRectF& rect) const;
    void setColour(QColor& field, const QColor& colour, const QString& key);

private:
    double m_span = 1.0;
    int m_divisions = 10;
    int m_majors = 5;
    int m_rulerSteps = 1;
    QColor m_themeColour;
    QColor m_spanColour;
    QColor m_divisionColour;
    QColor m_majorColour;
    bool m_drawsToPrinter = false;
    bool m_showsVerticalLines = true;
};
