#pragma once

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/graphics/BezierPath.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <functional>

namespace editing_test {

using ObjectList = PWObjectOwnerLayer::ObjectList;

// A drawing with one active drawing layer. Objects added here are set-up: the undo step an
// operation makes is closed on its own by run().
struct EditingFixture {
    EditingFixture()
    {
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        QCoreApplication::processEvents();
    }
    pf::Ref<PWDrawableShape> shape(const QRectF& rect, bool select = true)
    {
        auto object = PWDrawableShape::drawableShapeWithRect(rect);
        layer->addObject(object);
        if (select)
            layer->addObjectToSelection(object);
        return object;
    }
    pf::Ref<PWDrawablePath> line(const QPointF& from, const QPointF& to, bool select = true)
    {
        pf::BezierPath path;
        path.moveTo(from);
        path.lineTo(to);
        auto object = PWDrawablePath::drawablePathWithPath(path);
        layer->addObject(object);
        if (select)
            layer->addObjectToSelection(object);
        return object;
    }
    // Runs `op` as the user's edit, the set-up closed as a step of its own before it.
    bool run(const std::function<bool()>& op)
    {
        QCoreApplication::processEvents();
        const bool changed = op();
        QCoreApplication::processEvents();
        return changed;
    }
    RVUndoManager& undo() const { return *drawing->undoManager(); }
    ObjectList objects() const { return layer->objectList(); }
    ObjectList selection() const { return layer->selection(); }

    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
};

inline void expectRect(const QRectF& actual, const QRectF& expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

} // namespace editing_test
