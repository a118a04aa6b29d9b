#pragma once

#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/support/NotificationRecorder.h"

#include <QCoreApplication>
#include <QStringList>

namespace slices_test {

// A drawing holding a slices layer, with a clean undo history.
struct SlicesFixture {
    SlicesFixture()
    {
        drawing->addLayer(layer);
        endEvent();
        undo().removeAllActions();
    }

    RVUndoManager& undo() const { return *drawing->undoManager(); }
    // Ends the current event: what it registered becomes one undo step.
    static void endEvent() { QCoreApplication::processEvents(); }

    pf::Ref<PWXSlice> addSlice(const QRectF& bounds, const QString& title = QStringLiteral("Slice"))
    {
        auto slice = std::make_shared<PWXSlice>();
        slice->setTitle(title);
        slice->setBounds(bounds);
        layer->addSlice(slice);
        return slice;
    }

    // One mouse gesture, each event on its own turn of the event loop.
    void gesture(const QList<QPointF>& points, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        layer->mouseDown(points.first(), modifiers, nullptr);
        endEvent();
        for (qsizetype i = 1; i < points.size(); ++i) {
            layer->mouseDragged(points.at(i), modifiers, nullptr);
            endEvent();
        }
        layer->mouseUp(points.last(), modifiers, nullptr);
        endEvent();
    }

    QList<QRectF> bounds() const
    {
        QList<QRectF> out;
        for (const auto& slice : layer->slices())
            out.append(slice->bounds());
        return out;
    }

    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<VNQLSlicesLayer> layer = std::make_shared<VNQLSlicesLayer>();
};

} // namespace slices_test
