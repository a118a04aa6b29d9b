#include "SymbolsTestSupport.h"

#include "drawing/PWLayerGroup+Symbols.h"
#include "drawing/PWShapeGroup+SymbolsSupport.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"

using namespace symbols_test;

namespace {

class LayerGroupSymbols : public SymbolsTest {};

// An owner that keeps a map scale, as the document does.
class MapScaleOwner : public pf::Object {
    PF_CLASS(MapScaleOwner)
public:
    pf::Ref<pf::Object> mapScale() const { return scale; }
    void setMapScale(pf::Ref<pf::Object> value) { scale = std::move(value); }
    pf::Ref<pf::Object> scale;
};

} // namespace

PF_DEFINE_CLASS(MapScaleOwner, pf::Object) { b.property("mapScale", &MapScaleOwner::mapScale, &MapScaleOwner::setMapScale); }

TEST_F(LayerGroupSymbols, InstancesOfNestedLayersAreCollectedOnce)
{
    auto drawing = std::make_shared<PWDrawing>();
    auto top = std::make_shared<PWObjectDrawingLayer>();
    auto group = std::make_shared<PWLayerGroup>();
    auto inner = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(top);
    drawing->addLayer(group);
    group->addLayer(inner);
    auto master = rectMaster("Tree");
    auto a = master->symbolWithLocation({});
    auto b = master->symbolWithLocation({});
    top->addObject(a);
    top->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 3, 3)));
    inner->addObject(b);
    const QList<pf::Ref<PWXSymbol>> found = allSymbols(*drawing);
    EXPECT_EQ(found.size(), 2);
    EXPECT_TRUE(found.contains(a));
    EXPECT_TRUE(found.contains(b));
    EXPECT_EQ(allSymbols(*group), QList<pf::Ref<PWXSymbol>>{b});
}

TEST_F(LayerGroupSymbols, InstancesInsideShapeGroupsAreFoundThroughTheGroups)
{
    PWShapeGroupSymbolsSupport::install();
    auto drawing = std::make_shared<PWDrawing>();
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    auto instance = rectMaster("Tree")->symbolWithLocation({});
    auto group = PWShapeGroup::groupWithObjects(
        {instance, PWDrawableShape::drawableShapeWithRect(QRectF(30, 30, 5, 5))});
    layer->addObject(group);
    const QList<pf::Ref<PWXSymbol>> found = allSymbols(*drawing);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first()->master()->name(), "Tree");
}

TEST_F(LayerGroupSymbols, TheMapScaleIsTheOwners)
{
    auto drawing = std::make_shared<PWDrawing>();
    EXPECT_FALSE(mapScale(*drawing));
    EXPECT_FALSE(setMapScale(*drawing, std::make_shared<pf::Object>()));
    auto owner = std::make_shared<MapScaleOwner>();
    drawing->setOwner(owner);
    auto scale = std::make_shared<MapScaleOwner>();
    EXPECT_TRUE(setMapScale(*drawing, scale));
    EXPECT_EQ(owner->scale, scale);
    EXPECT_EQ(mapScale(*drawing), scale);
}
