#pragma once

#include "frameworks/penwork/drawables/PWDrawableObject.h"

#include <QList>

// Several drawables handled as one. The members keep the geometry they had when they were
// grouped ("group space"); the group shows them through its own transform, which maps the
// members' bounds at grouping time (the reference rectangle) onto the group's location, size
// and angle. Moving, resizing or rotating the group therefore changes only the group; the
// members learn of it when the group is dissolved (ungroup), which hands each of them the
// transform through the group(...) hook.
//
// The group is the members' container: they record their undo with the group's undo manager,
// reach the group's drawing and layer, render with the group's transform on top of the group's
// own container transform, and their redisplay requests pass up through the group.
class PWShapeGroup : public PWDrawableObject, public PWDrawableContainer {
    PF_CLASS(PWShapeGroup)
public:
    PWShapeGroup();
    PWShapeGroup(const PWShapeGroup& other);
    ~PWShapeGroup() override;

    // A new group of the objects, in their order (the first drawn first), each keeping where it
    // is drawn now: objects that belong to another group are taken out of it with that group's
    // transform applied. Null objects are skipped.
    static pf::Ref<PWShapeGroup> groupWithObjects(const QList<pf::Ref<PWDrawableObject>>& objects);
    // The same for objects whose logical bounds the caller has measured already (their union),
    // so that building groups of groups measures each member once rather than once a level.
    static pf::Ref<PWShapeGroup> groupWithObjects(const QList<pf::Ref<PWDrawableObject>>& objects,
                                                  const QRectF& logicalBounds);

    QList<pf::Ref<PWDrawableObject>> members() const { return m_members; }
    int countOfMembers() const { return int(m_members.size()); }
    // The group-space rectangle the group's unit square stands for.
    QRectF referenceRect() const { return m_referenceRect; }
    // Group space to the group's container's coordinates (before the container's own transform).
    QTransform groupTransform() const;

    // The topmost visible member drawn at `point` (drawing coordinates), or null.
    pf::Ref<PWDrawableObject> objectAtPoint(const QPointF& point) const;

    // Dissolves the group: each member is told group(this, groupTransform()) so that it takes
    // the group's placement into its own geometry, and loses the group as its container. The
    // members come back in drawing order; the group is left empty. Undo gives the group its
    // members back (their geometry edits undo themselves).
    QList<pf::Ref<PWDrawableObject>> ungroup();

    // Drawing and geometry.
    QRectF bounds() const override;
    QRectF logicalBounds() const override;
    quint64 geometryChecksum() const override;
    void drawContent() override;
    // The outline round the members as they are now (edited in place, they can leave the frame
    // they were grouped in).
    void drawSelectedState() override;
    void drawContentWithStyle(PWStyle* style) override;
    bool hitTest(const QPointF& point) const override;
    QList<pf::Ref<PWStyle>> allStyles() const override;
    void replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements) override;
    bool objectIsValid() const override;
    QString displayName() const override;
    QStringList searchableStrings() const override;

    // PWDrawableContainer: the group's own container answers for the members.
    PWDrawing* drawing() const override;
    PWLayer* layer() const override;
    RVUndoManager* undoManager() const override;
    QTransform renderingTransform() const override;
    PWImageDataManager* imageManager() const override;
    qint64 indexOfObject(const PWDrawableObject* object) const override;
    bool isSelectedObject(const PWDrawableObject* object) const override;
    QVariant metadataObjectForKey(const QString& key) const override;
    void objectNeedsDisplayInRect(PWDrawableObject* object, const QRectF& rect) override;
    void objectDidChangeGeometry(PWDrawableObject* object, const QRectF& oldBounds) override;
    QColor selectionColour() const override;

    void setContainer(PWDrawableContainer* container) override;

    // A deep copy: copied members in a new group.
    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Makes a new, empty group hold `objects` (their union of logical bounds given), placed
    // where they are: what the factories do, for subclasses' own factories.
    void takeObjects(const QList<pf::Ref<PWDrawableObject>>& objects, const QRectF& logicalBounds);
    // The members render with the group's transform, so their cached bounds go stale with it.
    // Subclasses with objects of their own in group space clear those too.
    virtual void clearMemberBounds() const;

private:
    void adoptMembers(const QList<pf::Ref<PWDrawableObject>>& members);
    void observeOwnGeometry();
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;
    // Undoable hand-over of the members: taking them back restores the group that ungroup
    // emptied, and the other way round on redo.
    void restoreMembers(const QList<pf::Ref<PWDrawableObject>>& members);
    void releaseMembers();

    QList<pf::Ref<PWDrawableObject>> m_members;
    QRectF m_referenceRect;
};
