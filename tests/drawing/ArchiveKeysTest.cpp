// The keys the system's model classes write in their archives, checked against the literal key
// names of the file format: a key misspelt alike on writing and reading survives every round
// trip, yet no earlier document or other reader would find it.
#include <gtest/gtest.h>

#include "app/PWXMapScale.h"
#include "app/PWXMeasurement.h"
#include "app/VNQLExportOperation.h"
#include "drawing/PWXBridgeRasterizer.h"
#include "drawing/PWXCuttingAndEmbankmentRasterizer.h"
#include "drawing/PWXSlice.h"
#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXTaggedStroke.h"
#include "drawing/PWXTaperedStroke.h"
#include "drawing/PWXTunnelRasterizer.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/PropertyList.h"
#include "widgets/RVTreeNode.h"

#include <QSet>

namespace {

// Every key of every object dictionary in the archive of `root`.
QSet<QString> archivedKeys(const pf::Ref<pf::Object>& root)
{
    const QByteArray data = pf::KeyedArchiver::archivedData(root, pf::PropertyListFormat::XML);
    QSet<QString> keys;
    for (const QVariant& object : pf::PropertyList::value(data).toMap().value(QStringLiteral("$objects")).toList()) {
        const QVariantMap dictionary = object.toMap();
        for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
            keys.insert(it.key());
    }
    return keys;
}

struct KeysCase {
    const char* label;
    std::function<pf::Ref<pf::Object>()> make;
    QStringList keys;
};

} // namespace

TEST(ArchiveKeys, ModelClassesWriteTheKeysOfTheFileFormat)
{
    const KeysCase cases[] = {
        {"slice", [] { return pf::Ref<pf::Object>(std::make_shared<PWXSlice>()); },
         {"PWXSlice_bounds", "PWXSlice_colour", "PWXSlice_showsDimensions", "PWXSlice_showsTitle", "PWXSlice_title",
          "PWXSlice_visible"}},
        {"slices layer",
         [] {
             auto layer = std::make_shared<VNQLSlicesLayer>();
             layer->addSlice(std::make_shared<PWXSlice>());
             return pf::Ref<pf::Object>(layer);
         },
         {"VNQLSlicesLayer_slices", "VNQLSlicesLayer_toolMode", "PWXSlice_slicesLayer"}},
        {"symbol master and instance",
         [] {
             auto master = PWXSymbolMaster::symbolMasterWithObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)), QStringLiteral("Post"));
             return pf::Ref<pf::Object>(std::make_shared<PWXSymbol>(master));
         },
         {"PWXSymbol_absoluteAngle", "PWXSymbol_angle", "PWXSymbol_location", "PWXSymbol_master", "PWXSymbol_scaleFactor",
          "PWXSymbol_useLocalStyle", "PWXSymbolMaster_graphic", "PWXSymbolMaster_name", "PWXSymbolMaster_uniqueKey"}},
        {"tagged stroke", [] { return pf::Ref<pf::Object>(PWXTaggedStroke::defaultTaggedStroke()); },
         {"PWXTaggedStroke_tagKind", "PWXTaggedStroke_tagLength", "PWXTaggedStroke_tagWidth", "PWXTaggedStroke_tagSpacing",
          "PWXTaggedStroke_tagPhase", "PWXTaggedStroke_tagAngle", "PWXTaggedStroke_tagCapStyle",
          "PWXTaggedStroke_tagsAlternate", "PWXTaggedStroke_tagTaperKind", "PWXTaggedStroke_tagTaperProportion",
          "PWXTaggedStroke_leftTaperEnabled", "PWXTaggedStroke_rightTaperEnabled", "PWXTaggedStroke_mainDisable"}},
        {"tapered stroke", [] { return pf::Ref<pf::Object>(PWXTaperedStroke::defaultTaperedStroke()); },
         {"PWXTaperedStroke_taperKind", "PWXTaperedStroke_taperProportion", "PWXTaperedStroke_leftTaperProportion",
          "PWXTaperedStroke_rightTaperProportion", "PWXTaperedStroke_hasLeftAndRightProportions",
          "PWXTaperedStroke_disableLeftTaper", "PWXTaperedStroke_disableRightTaper"}},
        {"tunnel", [] { return pf::Ref<pf::Object>(std::make_shared<PWXTunnelRasterizer>()); },
         {"PWTunnel_capStyle", "PWTunnel_heightScale", "PWTunnel_portalKind", "PWTunnel_widthScale"}},
        {"bridge", [] { return pf::Ref<pf::Object>(std::make_shared<PWXBridgeRasterizer>()); },
         {"PWXBridgeRasterizer_autoSizing", "PWXBridgeRasterizer_bridgeWidth", "PWXBridgeRasterizer_pierSize",
          "PWXBridgeRasterizer_pierSpacing"}},
        {"cutting and embankment", [] { return pf::Ref<pf::Object>(std::make_shared<PWXCuttingAndEmbankmentRasterizer>()); },
         {"PWXCuttingEmbankment_colour", "PWXCuttingEmbankment_kind", "PWXCuttingEmbankment_relSpacing",
          "PWXCuttingEmbankment_taperFunction"}},
        {"map scale", [] { return pf::Ref<pf::Object>(PWXMapScale::defaultScale()); }, {"PWXMapScale_RVMScaler"}},
        {"measurement", [] { return pf::Ref<pf::Object>(PWXMeasurement::measurementWithSystem(1, 2.5)); },
         {"PWXMeasurement_measure", "PWXMeasurement_value"}},
        {"export settings", [] { return pf::Ref<pf::Object>(std::make_shared<VNQLExportOperation>()); },
         {"Exp_sourceType", "Exp_dpi", "Exp_scale", "Exp_quality", "Exp_colorspace", "Exp_transparent",
          "Exp_filenameRoot", "Exp_firstIndex", "Exp_indexIncrement", "Exp_indexPadLength", "Exp_fnOption", "Exp_format",
          "Exp_showInFinder", "Exp_overwrite", "Exp_groupInFolder"}},
        {"tree node",
         [] {
             auto root = RVTreeNode::treeNodeWithRepresentedObject(QStringLiteral("root"));
             root->addChildNode(RVTreeNode::treeNodeWithRepresentedObject(QStringLiteral("leaf")));
             return pf::Ref<pf::Object>(root);
         },
         {"RVNode_children", "RVNode_parent", "RVNode_payload"}},
    };
    for (const KeysCase& c : cases) {
        SCOPED_TRACE(c.label);
        const QSet<QString> written = archivedKeys(c.make());
        for (const QString& key : c.keys)
            EXPECT_TRUE(written.contains(key)) << qPrintable(key) << " not written; written: "
                                               << qPrintable(QStringList(written.values()).join(QLatin1Char(' ')));
    }
}
