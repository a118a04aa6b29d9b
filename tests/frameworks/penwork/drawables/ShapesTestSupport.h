#pragma once

#include "frameworks/penwork/drawables/PWDrawableContainer.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <QStringList>

#include <functional>

// A container that stands where a layer would: it owns an undo manager (grouped by hand) and
// an image data manager, and records what its drawables tell it.
namespace shapestest {

class Container : public pf::Object, public PWDrawableContainer {
public:
    Container()
    {
        undo->setGroupsByEvent(false);
    }

    PWDrawing* drawing() const override { return nullptr; }
    PWLayer* layer() const override { return nullptr; }
    RVUndoManager* undoManager() const override { return undo.get(); }
    QTransform renderingTransform() const override { return QTransform(); }
    PWImageDataManager* imageManager() const override { return images.get(); }
    qint64 indexOfObject(const PWDrawableObject*) const override { return pf::kNotFound; }
    bool isSelectedObject(const PWDrawableObject*) const override { return false; }
    void objectNeedsDisplayInRect(PWDrawableObject* object, const QRectF& rect) override
    {
        redisplayed.append(rect);
        lastObject = object;
    }
    void objectDidChangeGeometry(PWDrawableObject* object, const QRectF&) override
    {
        ++geometryChanges;
        lastObject = object;
    }

    // Runs `edit` as one undo step.
    void step(const std::function<void()>& edit)
    {
        undo->beginUndoGrouping();
        edit();
        undo->endUndoGrouping();
    }

    pf::Ref<RVUndoManager> undo = std::make_shared<RVUndoManager>();
    pf::Ref<PWImageDataManager> images = std::make_shared<PWImageDataManager>();
    QList<QRectF> redisplayed;
    int geometryChanges = 0;
    PWDrawableObject* lastObject = nullptr;
};

// Records the key paths it hears of.
class Observer : public pf::Object {
public:
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&, void*) override
    {
        keys.append(keyPath);
    }
    QStringList keys;
};

// The object drawn into a transparent image of `size` pixels, one pixel a unit from the origin.
inline QImage render(PWDrawableObject& object, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    pf::GraphicsContextScope scope(painter, true);
    object.drawContent();
    return image;
}

inline int opaquePixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && qAlpha(image.pixel(x, y)) > 0)
                ++count;
    return count;
}

} // namespace shapestest
