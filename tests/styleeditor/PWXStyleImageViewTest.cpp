#include "styleeditor/PWXStyleImageView.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

namespace {

// Counts the well's actions.
class DropTarget : public pf::Object {
    PF_CLASS(DropTarget)
public:
    int drops = 0;
};

pf::Ref<PWStyle> styleCopy(const QString& name)
{
    auto style = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    style->setName(name);
    return style;
}

pf::DraggingInfo dragOf(const pf::Ref<pf::Pasteboard>& pasteboard, pf::DraggingSource* source)
{
    return pf::DraggingInfo(pasteboard, source, pf::DragOperationEvery, {}, nullptr, 1);
}

struct OtherSource : pf::DraggingSource {
    unsigned draggingSourceOperationMask(pf::DraggingContext) override { return pf::DragOperationEvery; }
};

} // namespace

PF_DEFINE_CLASS(DropTarget, pf::Object)
{
    b.method("styleDropped:", [](DropTarget& target, const QVariantList&) {
        ++target.drops;
        return QVariant();
    });
}

TEST(PWXStyleImageView, ShowsTheSwatchAndFollowsOnlyItsOwnStyle)
{
    PWXStyleImageView well;
    EXPECT_EQ(well.registeredDraggedTypes(), (QStringList{kPWStylePasteboardType, kPWStyleKeyPasteboardType}));
    EXPECT_FALSE(well.image());

    const auto shown = styleCopy(QStringLiteral("Shown"));
    const auto other = styleCopy(QStringLiteral("Other"));
    well.setStyle(shown);
    ASSERT_TRUE(well.image());
    const QImage before = well.image()->bitmap();

    // Another style's edits leave the swatch alone; the shown style's edits redraw it.
    const pf::Image* kept = well.image().get();
    other->setFillColour(pf::Color::red());
    EXPECT_EQ(well.image().get(), kept);
    shown->setFillColour(pf::Color::red());
    EXPECT_NE(well.image().get(), kept);
    EXPECT_NE(well.image()->bitmap(), before);

    // Replaced, the old style is no longer followed.
    well.setStyle(other);
    kept = well.image().get();
    shown->setFillColour(pf::Color::green());
    EXPECT_EQ(well.image().get(), kept);

    // A clip-art master shows its own picture; nothing shows none.
    well.setStyle(PWXSymbolMaster::defaultSymbolMaster());
    EXPECT_TRUE(well.image());
    well.setStyle(nullptr);
    EXPECT_FALSE(well.image());
}

TEST(PWXStyleImageView, TakesStylesDroppedFromElsewhereOnly)
{
    PWXStyleImageView well;
    auto target = std::make_shared<DropTarget>();
    well.setTarget(target.get());
    well.setAction(QStringLiteral("styleDropped:"));
    const auto mine = styleCopy(QStringLiteral("Mine"));
    well.setStyle(mine);

    const auto dropped = styleCopy(QStringLiteral("Dropped"));
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("style-well-test"));
    pasteboard->clearContents();
    ASSERT_TRUE(PWStylePasteboard::copyToPasteboard(dropped, *pasteboard));

    // Its own drag coming back is refused and sends nothing.
    EXPECT_EQ(well.draggingEntered(dragOf(pasteboard, &well)), unsigned(pf::DragOperationNone));
    EXPECT_FALSE(well.prepareForDragOperation(dragOf(pasteboard, &well)));
    EXPECT_FALSE(well.performDragOperation(dragOf(pasteboard, &well)));
    EXPECT_EQ(well.style(), mine);
    EXPECT_EQ(target->drops, 0);

    // From another source (or another program): taken, and the action goes out once.
    OtherSource other;
    for (pf::DraggingSource* source : {static_cast<pf::DraggingSource*>(&other), static_cast<pf::DraggingSource*>(nullptr)}) {
        well.setStyle(mine);
        EXPECT_EQ(well.draggingEntered(dragOf(pasteboard, source)), unsigned(pf::DragOperationCopy));
        EXPECT_TRUE(well.performDragOperation(dragOf(pasteboard, source)));
        auto taken = std::dynamic_pointer_cast<PWStyle>(well.style());
        ASSERT_TRUE(taken);
        EXPECT_TRUE(taken->isEqualToStyle(dropped.get()));
    }
    EXPECT_EQ(target->drops, 2);

    // A pasteboard without a style is refused.
    pasteboard->clearContents();
    well.setStyle(mine);
    EXPECT_FALSE(well.performDragOperation(dragOf(pasteboard, &other)));
    EXPECT_EQ(well.style(), mine);
    EXPECT_EQ(target->drops, 2);
}

TEST(PWXStyleImageView, DragsOutOnlyInsideTheProgram)
{
    PWXStyleImageView well;
    EXPECT_EQ(well.draggingSourceOperationMask(pf::DraggingContext::OutsideApplication), unsigned(pf::DragOperationNone));
    EXPECT_EQ(well.draggingSourceOperationMask(pf::DraggingContext::WithinApplication), unsigned(pf::DragOperationGeneric));
    EXPECT_TRUE(well.acceptsFirstMouse(nullptr));
}
