#pragma once

#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolManager.h"
#include "drawing/PWXSymbolMaster.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace symbols_test {

// Each test starts with a registry of its own.
class SymbolsTest : public ::testing::Test {
protected:
    void SetUp() override { PWXSymbolManager::resetSharedSymbolManager(); }
    void TearDown() override { PWXSymbolManager::resetSharedSymbolManager(); }

    static pf::Ref<PWXSymbolMaster> rectMaster(const QString& name, const QRectF& rect = QRectF(-10, -5, 20, 10))
    {
        // A fill alone: the bounds are the rectangle itself.
        auto style = std::make_shared<PWStyle>();
        style->setFillColour(pf::Color(QColor(Qt::green)));
        auto shape = PWDrawableShape::drawableShapeWithRect(rect, style);
        return PWXSymbolMaster::symbolMasterWithObject(shape, name);
    }

    static QByteArray archive(const pf::Ref<pf::Object>& object) { return pf::KeyedArchiver::archivedData(object); }

    template <class T>
    static pf::Ref<T> unarchive(const QByteArray& data)
    {
        return pf::KeyedUnarchiver::unarchiveObjectOfClass<T>(data);
    }
};

// A drawing with one object layer and a clean undo history.
struct SymbolDrawing {
    SymbolDrawing()
    {
        drawing->addLayer(layer);
        settle();
    }
    RVUndoManager& undo() const { return *drawing->undoManager(); }
    void settle()
    {
        QCoreApplication::processEvents();
        undo().removeAllActions();
    }
    pf::Ref<PWXSymbol> place(const pf::Ref<PWXSymbolMaster>& master, const QPointF& at)
    {
        pf::Ref<PWXSymbol> symbol = master->symbolWithLocation(at);
        undo().disableUndoRegistration();
        layer->addObject(symbol);
        undo().enableUndoRegistration();
        return symbol;
    }
    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
};

} // namespace symbols_test
