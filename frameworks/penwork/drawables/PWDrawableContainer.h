#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVariant>
#include <QVariantMap>

class PWDrawableObject;
class PWDrawing;
class PWImageDataManager;
class PWKnob;
class PWLayer;

class RVUndoManager;

// What a drawable asks of the object that holds it: a layer, a group, or a symbol that renders
// a master's drawable inside itself. A drawable keeps a weak reference to its container, so an
// adopter must be a pf::Reflective (every layer, group and drawable is one); the drawable
// watches the adopter's liveness token and forgets it when it is destroyed.
//
// Pointers answered here are not owned by the caller.
class PWDrawableContainer {
public:
    virtual ~PWDrawableContainer() = default;

    // The drawing and layer the container belongs to; null when it is on none.
    virtual PWDrawing* drawing() const = 0;
    virtual PWLayer* layer() const = 0;
    // The undo manager every drawable of this container records its edits with; null while the
    // container belongs to no drawing, in which case edits are made without undo.
    virtual RVUndoManager* undoManager() const = 0;
    // The transform a drawable renders with, on top of its own geometry (identity for a layer).
    virtual QTransform renderingTransform() const = 0;
    // Where image shapes keep their image data; null when there is none.
    virtual PWImageDataManager* imageManager() const = 0;

    // The drawable's place in the container's stacking order, or pf::kNotFound.
    virtual qint64 indexOfObject(const PWDrawableObject* object) const = 0;
    virtual bool isSelectedObject(const PWDrawableObject* object) const = 0;

    // Metadata the container offers its drawables (a layer's or a drawing's); an invalid
    // QVariant when there is none.
    virtual QVariant metadataObjectForKey(const QString& key) const { return {}; }
    virtual QVariant metadataItemForKey(const QString& key) const { return {}; }
    virtual quint64 metadataChecksum() const { return 0; }
    virtual void addSearchablePropertiesToDictionary(QVariantMap& dictionary) const {}

    // Redisplay: `rect` (drawing coordinates) of `object` must be drawn again.
    virtual void objectNeedsDisplayInRect(PWDrawableObject* object, const QRectF& rect) = 0;
    // `object`'s geometry changed; `oldBounds` are its bounds before the change. Layers use it to
    // keep their spatial index current and to redraw both the old and the new area.
    virtual void objectDidChangeGeometry(PWDrawableObject* object, const QRectF& oldBounds) = 0;

    // The colour selected drawables outline themselves in.
    virtual QColor selectionColour() const { return QColor(64, 128, 255); }
    // The knobs selected drawables draw their handles with and hit-test them against; null gives
    // the shared default knobs (PWKnob::defaultKnobs()).
    virtual PWKnob* knobs() const { return nullptr; }
};
