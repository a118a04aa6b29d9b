#pragma once

#include "frameworks/penwork/svg/PWSVGElement.h"
#include "frameworks/penwork/svg/PWSVGStyleSheet.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"

#include <QHash>
#include <QRectF>
#include <QList>
#include <QSizeF>
#include <QTransform>

#include <memory>
#include <optional>

class PWDrawableObject;
class PWDrawing;
class PWFill;

namespace Geom {
class PathVector;
}

namespace pwsvg {
struct Style;
struct Paint;
}

// Turns a parsed SVG document into a drawing of editable objects: shapes and paths with their
// fills and strokes in drawing coordinates (every transform applied), groups, text shapes and
// image shapes. One instance builds one drawing.
class PWSVGDrawingBuilder {
public:
    // Bounds that keep a hostile document from taking unbounded time or memory: objects made
    // (use elements can multiply them), elements visited, nested use, and path data per
    // element.
    static constexpr int kMaxObjects = 250000;
    static constexpr int kMaxVisits = 1000000;
    static constexpr int kMaxUseDepth = 32;
    // Uses may multiply a document's elements into at most this many steps per element written,
    // plus a free allowance: far beyond what symbols, patterns and grids drawn with uses need,
    // yet a few kilobytes of uses nested in uses can no longer demand a million steps.
    static constexpr int kMaxStepsPerElement = 512;
    static constexpr int kFreeSteps = 10000;
    static constexpr qsizetype kMaxPathDataChars = 8 * 1024 * 1024;
    // The largest drawing side accepted, in points (some 35 metres).
    static constexpr double kMaxDrawingSide = 100000.0;
    // The largest coordinate read, in user units and in the drawing: a thousand kilometres of
    // points, far beyond any drawing, yet small enough for lib2geom to convert arcs exactly.
    static constexpr double kMaxCoordinate = 1e9;

    // The builder takes the document: elements it is done with are let go as it goes, so that
    // the document and the drawing made of it are not both held whole at once.
    explicit PWSVGDrawingBuilder(std::unique_ptr<PWSVGElement> root);
    ~PWSVGDrawingBuilder();

    // Pictures nested in pictures (an SVG image showing an SVG image ...) are drawn this deep.
    static constexpr int kMaxImageNesting = 4;

    // The folder of the document's file: images it links to by a relative path are read from
    // there, and only from within that folder's tree. Without one, only images written into
    // the document (data: URIs) are drawn.
    void setBaseFolder(const QString& folder);

    // Refuses a document that would take more than kMaxVisits steps before making anything.
    pf::Ref<PWDrawing> build(pf::Error* error);

    // At least as many steps as the build takes (elements visited, each use instancing its
    // target again); kMaxVisits + 1 for any document that would take more.
    // The elements of the tree below and with `element`, as written in the document.
    static qint64 elementCount(const PWSVGElement& element);
    qint64 stepsToDraw() const;
    // The steps the build has taken so far.
    int stepsTaken() const { return m_visits; }

private:
    // Objects made, each with its logical bounds once they are known. Only grouping needs
    // them: an object is measured when it joins a group, and a group keeps the bounds it was
    // made with, so that a group of groups measures nothing again.
    struct Objects {
        QList<pf::Ref<PWDrawableObject>> objects;
        QList<std::optional<QRectF>> logicalBounds;

        void append(const pf::Ref<PWDrawableObject>& object, std::optional<QRectF> bounds = std::nullopt)
        {
            objects.append(object);
            logicalBounds.append(bounds);
        }
        qsizetype size() const { return objects.size(); }
        QRectF boundsAt(qsizetype i) const;
    };

    void collect(const PWSVGElement& element);
    // At least as many elements as the build would visit for `element` with `useStack` open
    // (display and sizes aside), by the build's own rules for uses; saturates just past
    // kMaxVisits. Counts that hold wherever the element is reached are kept in `counts`; one
    // that a use stopped by `useStack` made smaller is worked out again at each place.
    using VisitCounts = QHash<const PWSVGElement*, qint64>;
    qint64 expandedVisits(const PWSVGElement& element, QList<const PWSVGElement*>& useStack, VisitCounts& counts,
                          bool* holdsEverywhere) const;
    // The element `use` instances, or null when it can never draw one: none, itself, or an
    // element holding the use.
    const PWSVGElement* useTarget(const PWSVGElement& use) const;
    // True when `use`, with `useStack` open, would instance again what is being instanced or
    // nest too deep; it then draws nothing.
    static bool isStoppedByOpenUses(const PWSVGElement& use, const PWSVGElement& target,
                                    const QList<const PWSVGElement*>& useStack);
    bool rootGeometry(QSizeF* drawingSize, QTransform* rootTransform, bool* sizeFromContent);

    pwsvg::Style computeStyle(const PWSVGElement& element, const pwsvg::Style& parent) const;
    // The properties `element` declares, each name once with the value that wins the cascade.
    PWSVGAttributes declaredProperties(const PWSVGElement& element) const;

    // Appends what `element` draws to `out`; false once a bound is passed (m_error says why).
    bool buildElement(const PWSVGElement& element, const pwsvg::Style& parentStyle, const QTransform& parentCTM,
                      double opacityAbove, Objects& out);
    bool buildChildren(const PWSVGElement& element, const pwsvg::Style& style, const QTransform& ctm, double opacity,
                       bool firstOnly, Objects& out);
    bool buildUse(const PWSVGElement& use, const pwsvg::Style& style, const QTransform& ctm, double opacity,
                  Objects& out);
    // The children of a nested svg or an instanced symbol in `viewport` (parent user space),
    // through the element's viewBox, cut off at the viewport unless overflow shows.
    bool buildViewport(const PWSVGElement& element, const pwsvg::Style& style, const QTransform& ctm, double opacity,
                       const QRectF& viewport, Objects& out);
    bool buildShape(const PWSVGElement& element, const pwsvg::Style& style, const QTransform& ctm, double opacity,
                    Objects& out);
    bool buildText(const PWSVGElement& element, const pwsvg::Style& style, const QTransform& ctm, double opacity,
                   Objects& out);
    // Images (PWSVGDrawingBuilder+Images.cpp): bitmaps as image shapes, SVG pictures as the
    // objects they draw, each cut off at its viewport.
    bool buildImage(const PWSVGElement& element, const QTransform& ctm, double opacity, Objects& out);
    // The file a relative href names within the base folder's tree, or empty.
    QString linkedImagePath(const QString& href) const;
    // The objects of the SVG document `data` placed in `viewport` (user space through `ctm`);
    // false only once a bound of this build is passed.
    bool buildNestedDocument(const QByteArray& data, const QString& folder, const PWSVGElement& image,
                             const QRectF& viewport, const QTransform& ctm, double opacity, Objects& out);
    // `objects` cut off at `frame` (user space through `ctm`) where they reach beyond it.
    bool appendFramed(Objects& objects, const QRectF& frame, const QTransform& ctm, Objects& out);
    void buildRootChildren(const QTransform& ctm, double opacity, Objects& objects);
    bool addObject(const pf::Ref<PWDrawableObject>& object, Objects& out);
    // What `element` draws, its clip path and mask aside.
    bool buildElementContent(const PWSVGElement& element, const pwsvg::Style& style, const QTransform& ctm,
                             double opacity, Objects& out);

    // Clip paths and masks (PWSVGDrawingBuilder+Clipping.cpp). `content` is what `element`
    // draws; it goes to `out` shown through the element's clip path and mask.
    bool appendClipped(const PWSVGElement& element, const pwsvg::Style& style, const QTransform& ctm,
                       Objects& content, Objects& out);
    // The object whose coverage a clipPath element lets through for an element of user-space
    // bounds `bbox` drawn through `ctm`; null when it lets nothing through.
    pf::Ref<PWDrawableObject> clipObject(const PWSVGElement& clipPath, const QRectF& bbox, const QTransform& ctm);
    // The same for a mask element, with the kind of clip it is (coverage or luminance).
    pf::Ref<PWDrawableObject> maskObject(const PWSVGElement& mask, const QRectF& bbox, const QTransform& ctm,
                                         int* kind);
    // Markers (PWSVGDrawingBuilder+Markers.cpp): the marker objects at the vertices of
    // `paths` (user space of an element drawn through `ctm`) as `style` asks for them.
    bool buildMarkers(const Geom::PathVector& paths, const pwsvg::Style& style, const QTransform& ctm,
                      double opacity, Objects& out);
    // One marker's content placed at `vertex`, turned by `angle` (radians).
    bool buildMarker(const PWSVGElement& marker, const QPointF& vertex, double angle, const pwsvg::Style& style,
                     const QTransform& ctm, double opacity, Objects& out);
    // Patterns (PWSVGDrawingBuilder+Patterns.cpp): whether `paint` refers to a pattern, and
    // the fill it gives an object of user-space bounds `bbox` drawn through `ctm` with
    // drawing-space bounds `area` (the fallback, or null for none, when it cannot be used).
    bool isPatternPaint(const pwsvg::Paint& paint) const;
    pf::Ref<PWFill> patternFill(const pwsvg::Paint& paint, double opacity, const QRectF& bbox, const QTransform& ctm,
                                const QRectF& area);
    // The computed style of `element` where it stands in the document.
    pwsvg::Style inheritedStyle(const PWSVGElement& element) const;
    // The element `id` names when it is a `name` element that is not in use already; else null.
    const PWSVGElement* referencedElement(const QString& id, const char* name) const;
    bool fail(int code, const QString& reason);

    // Several objects as one group, one object itself, none as nothing.
    void appendGrouped(const Objects& objects, Objects& out);

    double length(const PWSVGElement& element, const QString& key, int axis, double fontSize,
                  double fallback = 0.0) const;

    std::unique_ptr<PWSVGElement> m_document;
    const PWSVGElement& m_root;
    // The children of the root that hold an element with an id: something may still refer to
    // them after they are built, so they are kept to the end.
    QSet<const PWSVGElement*> m_referable;
    PWSVGStyleSheet m_sheet;
    QHash<QString, const PWSVGElement*> m_ids;
    QSizeF m_viewport;
    QList<const PWSVGElement*> m_useStack;
    // Clip paths, masks and markers being built, so that one referring to itself is cut off.
    QList<const PWSVGElement*> m_referenceStack;
    // Above zero while a clip path's children are built: they draw their outlines only.
    int m_clipContent = 0;
    // The style of the context element (a marked shape, or a use) while its markers' or its
    // instanced content is built; context-fill and context-stroke take its paints.
    const pwsvg::Style* m_context = nullptr;
    // Where linked images are looked for, and the folder tree they must lie in.
    QString m_baseFolder;
    QString m_treeFolder;
    int m_imageDepth = 0;
    int m_objectCount = 0;
    int m_visits = 0;
    pf::Error m_error;
    bool m_failed = false;
};
