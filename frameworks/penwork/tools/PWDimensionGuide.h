#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QPair>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QVariant>

class QPainter;

// Posted (object: null) when the set of shown dimension guides or their values change, with
// "rect" (QRectF, drawing coordinates) covering the old and new guides at scale 1 and "guides"
// (the old and new guides' end points and labels; see displayRectOfStates), so views redisplay
// the area at their own scale.
inline const QString kPWDimensionGuidesDidChangeNotification =
    QStringLiteral("kPWDimensionGuidesDidChangeNotification");

// What a dimension guide measures: an object that answers the two end points of a dimension
// and the label for its length.
class PWDimensionGuideDataSource {
public:
    virtual ~PWDimensionGuideDataSource() = default;
    // The end points of the dimension of `mode` along one axis, in drawing coordinates.
    virtual QPair<QPointF, QPointF> dimensionPointsForMode(int mode, bool isVertical, const QVariant& context) const = 0;
    virtual QString dimensionStringForLength(double length) const = 0;
    // The class whose guides setDimensionGuidesDisabled may turn off (null: none).
    virtual const pf::Class* dimensionGuideClass() const { return nullptr; }
};

// A dimension line shown while an object is dragged: two end points and a length label,
// measured by a data source. The class services begin, update and end the set of guides of
// one drag; the view draws the guides that are shown (drawShownGuides).
class PWDimensionGuide : public pf::Object {
    PF_CLASS(PWDimensionGuide)
public:
    // Modes (flags). Size: the width (horizontal) and height (vertical). Position: the
    // distances from the drawing's origin to the left and top edges.
    static constexpr int kPositionMode = 1;
    static constexpr int kSizeMode = 2;

    using GuideSet = QList<pf::Ref<PWDimensionGuide>>;

    // Class settings (kept in the user defaults).
    static bool dimensionGuidesEnabled();
    static void setDimensionGuidesEnabled(bool enabled);
    static void setDimensionGuidesDisabled(bool disabled, const pf::Class& cls);
    static bool dimensionGuidesDisabledForClass(const pf::Class& cls);

    // The guides for a drag of `object`: one horizontal and one vertical guide per mode in
    // `modes`. Empty when guides are off (globally or for the object's class) or the object
    // is null. The object must outlive the guides or be ended first.
    static GuideSet beginDimensionGuidesForObject(PWDimensionGuideDataSource* object, int modes);
    // Asks the data source again for the points and labels.
    static void updateDimensionGuides(const GuideSet& guides, const QVariant& context = {});
    // The guides stop showing.
    static void endDimensionGuides(const GuideSet& guides);

    // The guides currently shown (between begin and end), and their drawing.
    static GuideSet shownGuides();
    static void drawShownGuides(QPainter& painter, double scale);

    PWDimensionGuide(PWDimensionGuideDataSource* source, int mode, bool isVertical);

    int mode() const { return m_mode; }
    bool isVertical() const { return m_vertical; }
    QPointF startPoint() const { return m_start; }
    QPointF endPoint() const { return m_end; }
    double length() const;
    QString label() const { return m_label; }
    // The area the guide draws into at `scale`, with its label.
    QRectF displayRect(double scale = 1.0) const;
    // The area that the guides described in a change notification's "guides" draw into.
    static QRectF displayRectOfStates(const QVariantList& states, double scale);
    void draw(QPainter& painter, double scale) const;

private:
    void update(const QVariant& context);
    static QRectF displayRectFor(QPointF start, QPointF end, const QString& label, double scale);

    PWDimensionGuideDataSource* m_source = nullptr;
    int m_mode = 0;
    bool m_vertical = false;
    QPointF m_start;
    QPointF m_end;
    QString m_label;
};
