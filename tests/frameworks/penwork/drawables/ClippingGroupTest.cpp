#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

TEST(ClippingGroup, ClipScalesEveryChannelByCoverageOrLuminance)
{
    struct Case {
        QRgb clip;
        int kind;
        int expectedAlpha;
    };
    const Case cases[] = {
        {qRgba(0, 0, 0, 255), PWClippingGroup::ClipCoverage, 200},
        {qRgba(0, 0, 0, 0), PWClippingGroup::ClipCoverage, 0},
        {qRgba(0, 0, 0, 255), PWClippingGroup::ClipLuminance, 0},
        {qRgba(255, 255, 255, 255), PWClippingGroup::ClipLuminance, 200},
        // Premultiplied half-transparent white lets half through by luminance.
        {qRgba(128, 128, 128, 128), PWClippingGroup::ClipLuminance, 100},
        // Pure green counts by its weight in luminance, about 0.72.
        {qRgba(0, 255, 0, 255), PWClippingGroup::ClipLuminance, 143},
    };
    for (const Case& c : cases) {
        QImage content(1, 1, QImage::Format_ARGB32_Premultiplied);
        content.setPixel(0, 0, qRgba(0, 200, 0, 200));
        QImage clip(1, 1, QImage::Format_ARGB32_Premultiplied);
        clip.setPixel(0, 0, c.clip);
        PWClippingGroup::applyClip(content, clip, c.kind);
        EXPECT_NEAR(qAlpha(content.pixel(0, 0)), c.expectedAlpha, 1) << c.kind << " " << std::hex << c.clip;
        EXPECT_NEAR(qGreen(content.pixel(0, 0)), c.expectedAlpha, 1);
    }
}

TEST(ClippingGroup, CopiesAndArchivesItsClip)
{
    auto member = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 100));
    auto clip = PWDrawableShape::drawableShapeWithRect(QRectF(10, 20, 30, 40));
    auto group = PWClippingGroup::clippingGroupWithObjects({member}, clip, PWClippingGroup::ClipLuminance);
    EXPECT_EQ(clip->container(), static_cast<PWDrawableContainer*>(group.get()));
    EXPECT_EQ(group->bounds().toRect(), clip->bounds().toRect());

    auto copy = std::dynamic_pointer_cast<PWClippingGroup>(group->copy());
    ASSERT_TRUE(copy && copy->clip());
    EXPECT_NE(copy->clip(), clip);
    EXPECT_EQ(copy->clip()->container(), static_cast<PWDrawableContainer*>(copy.get()));
    EXPECT_EQ(copy->clipKind(), int(PWClippingGroup::ClipLuminance));

    pf::Error error;
    const QByteArray archive = pf::KeyedArchiver::archivedData(group, pf::PropertyListFormat::XML, &error);
    ASSERT_FALSE(archive.isEmpty()) << error.description().toStdString();
    // The keys a stored document carries.
    EXPECT_TRUE(archive.contains("pw_clippingGroup_clip"));
    EXPECT_TRUE(archive.contains("pw_clippingGroup_kind"));
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWClippingGroup>(archive, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    ASSERT_TRUE(read->clip());
    EXPECT_EQ(read->clipKind(), int(PWClippingGroup::ClipLuminance));
    EXPECT_EQ(read->clip()->bounds().toRect(), clip->bounds().toRect());
    EXPECT_EQ(read->countOfMembers(), 1);

    // Moving the group moves its clip with it.
    read->moveBy(5, 0);
    EXPECT_NEAR(read->clip()->bounds().left(), clip->bounds().left() + 5, 0.5);
}

} // namespace
