#pragma once

#include "frameworks/penwork/drawables/PWDrawableContainer.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Object.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>

// A container standing where a layer would: it owns an undo manager grouped by hand, selects
// what it is told to, and records what its drawables tell it.
namespace drawablestest {

class Container : public pf::Object, public PWDrawableContainer {
public:
    Container() { undo->setGroupsByEvent(false); }

    PWDrawing* drawing() const override { return nullptr; }
    PWLayer* layer() const override { return nullptr; }
    RVUndoManager* undoManager() const override { return undo.get(); }
    QTransform renderingTransform() const override { return transform; }
    PWImageDataManager* imageManager() const override { return nullptr; }
    qint64 indexOfObject(const PWDrawableObject*) const override { return 0; }
    bool isSelectedObject(const PWDrawableObject* object) const override { return selected.contains(object); }
    QVariant metadataObjectForKey(const QString& key) const override { return metadata.value(key); }
    void objectNeedsDisplayInRect(PWDrawableObject*, const QRectF& rect) override { redisplayed.append(rect); }
    void objectDidChangeGeometry(PWDrawableObject*, const QRectF& oldBounds) override { oldBoundsSeen.append(oldBounds); }

    // Runs `edit` as one undo step.
    void step(const std::function<void()>& edit)
    {
        undo->beginUndoGrouping();
        edit();
        undo->endUndoGrouping();
    }

    pf::Ref<RVUndoManager> undo = std::make_shared<RVUndoManager>();
    QSet<const PWDrawableObject*> selected;
    QVariantMap metadata;
    QTransform transform;
    QList<QRectF> redisplayed;
    QList<QRectF> oldBoundsSeen;
};

// Counts the key paths it hears of.
class Observer : public pf::Object {
public:
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap& change, void*) override
    {
        keys.append(keyPath);
        changes.append(change);
    }
    int count(const QString& key) const { return int(keys.count(key)); }
    QStringList keys;
    QList<QVariantMap> changes;
};

} // namespace drawablestest
