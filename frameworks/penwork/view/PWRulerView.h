#pragma once

#include "platform/ui/RulerView.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class PWDrawingView;

// One ruler beside a drawing view, in a ruler slot of its scroll view: ticks and numbers in
// the drawing's units at the view's scale, following the scrolling, with the ruler markers of
// the view (a band) and the mouse position (a line). Dragging out of a ruler adds a guide and
// moves it until the button is released.
class PWRulerView : public pf::RulerView {
    Q_OBJECT
    PF_CLASS(PWRulerView)
public:
    explicit PWRulerView(Qt::Orientation orientation, QWidget* parent = nullptr);

    PWDrawingView* drawingView() const;
    void setDrawingView(PWDrawingView* view);

    // A unit the rulers can measure in. Labels start one unit apart and are spread by the
    // step-up factors (each above 1, taken in turn) or drawn closer by the step-down factors
    // (each between 0 and 1, taken in turn); ticks subdivide labels by the step-down factors.
    struct Unit {
        QString name;
        QString abbreviation;
        double pointsPerUnit = 1.0;
        QList<double> stepUpCycle;
        QList<double> stepDownCycle;
    };

    // Registers (or replaces) the unit `name` for every ruler. False, and nothing registered,
    // for an empty name or abbreviation, points per unit that are not finite and positive, or
    // an empty cycle or a factor outside its range.
    static bool registerUnit(const QString& name, const QString& abbreviation, double pointsPerUnit,
                             const QList<double>& stepUpCycle, const QList<double>& stepDownCycle);
    // The registered unit whose name or abbreviation is `nameOrAbbreviation` in any case.
    static std::optional<Unit> registeredUnit(const QString& nameOrAbbreviation);
    static QStringList registeredUnitNames();
    // The unit the rulers use for a drawing in `name` (or `abbreviation`) of `pointsPerUnit`:
    // the registered one, else a plain unit labelled at 1, 2, 5 and 10.
    static Unit unitForDrawingUnits(const QString& name, const QString& abbreviation, double pointsPerUnit);
    // The unit these rulers draw in now, for their drawing view's drawing.
    std::optional<Unit> currentUnit() const;

    // The spacing between numbered ticks, in units, for `unit` at `scale`: one unit moved
    // through the unit's cycles to the smallest step leaving at least kMinimumLabelSpacing
    // pixels between labels.
    static double labelStep(const Unit& unit, double scale);
    // The spacing between the smallest ticks, in units: the label step divided through the
    // step-down cycle while ticks stay at least kMinimumTickSpacing pixels apart.
    static double tickStep(const Unit& unit, double scale);
    static constexpr double kMinimumLabelSpacing = 50.0;
    static constexpr double kMinimumTickSpacing = 4.0;

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    bool isOpaque() const override { return true; }

private:
    // The drawing point under a point of this ruler.
    QPointF drawingPoint(const QPointF& rulerPoint) const;
    // Ruler coordinate (x for horizontal, y for vertical) of a drawing coordinate.
    double rulerPosition(double drawingCoordinate) const;

    QPointer<QWidget> m_view;
    bool m_draggingGuide = false;
};
