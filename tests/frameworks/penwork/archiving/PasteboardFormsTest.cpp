#include "ArchivingTestSupport.h"

#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

using namespace archivingtest;

namespace {

pf::Ref<pf::Pasteboard> freshPasteboard()
{
    static int serial = 0;
    return pf::Pasteboard::withName(QStringLiteral("pw-output-test-%1").arg(++serial));
}

} // namespace

TEST(PWOutPasteboard, DrawablesComeBackAsNewObjectsWithTheirStyles)
{
    const auto layerObjects = everyObjectKind();
    const auto pasteboard = freshPasteboard();
    ASSERT_TRUE(PWDrawableObjectPasteboard::writeObjects(layerObjects, *pasteboard));
    EXPECT_EQ(pasteboard->types(), QStringList{kPWDrawableObjectPasteboardType});

    const auto read = PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(*pasteboard);
    ASSERT_EQ(read.size(), layerObjects.size());
    for (qsizetype i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(layerObjects[i]->className().toStdString());
        EXPECT_NE(read[i], layerObjects[i]);
        EXPECT_EQ(read[i]->className(), layerObjects[i]->className());
        EXPECT_EQ(read[i]->bounds(), layerObjects[i]->bounds());
        EXPECT_EQ(read[i]->container(), nullptr);
    }
    ASSERT_TRUE(read[0]->style());
    EXPECT_TRUE(read[0]->style()->isEqualToStyle(layerObjects[0]->style().get()));
    EXPECT_EQ(read[0]->style(), read[1]->style());
}

TEST(PWOutPasteboard, DrawablesFromEmptyOrDamagedPasteboardsAreNone)
{
    const auto pasteboard = freshPasteboard();
    EXPECT_TRUE(PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(*pasteboard).isEmpty());
    EXPECT_FALSE(PWDrawableObjectPasteboard::writeObjects({}, *pasteboard));
    pasteboard->declareTypes({kPWDrawableObjectPasteboardType});
    pasteboard->setData(QByteArray("bplist00 and then nothing sensible"), kPWDrawableObjectPasteboardType);
    EXPECT_TRUE(PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(*pasteboard).isEmpty());
    // An archive of something else holds no drawables.
    PWRasterizerPasteboard::copyToPasteboard(PWFill::fillWithColour(pf::Color::red()), *pasteboard);
    pasteboard->setData(pasteboard->dataForType(kPWRasterizerPasteboardType), kPWDrawableObjectPasteboardType);
    EXPECT_TRUE(PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(*pasteboard).isEmpty());
}

TEST(PWOutPasteboard, StyleKeyFindsTheSameStyleInThisProcess)
{
    const pf::Ref<PWStyle> style = redStyle();
    const auto pasteboard = freshPasteboard();
    ASSERT_TRUE(PWStylePasteboard::copyToPasteboard(style, *pasteboard));
    EXPECT_EQ(pasteboard->types(), (QStringList{kPWStylePasteboardType, kPWStyleKeyPasteboardType}));
    EXPECT_EQ(pasteboard->stringForType(kPWStyleKeyPasteboardType), style->uniqueKey());
    EXPECT_EQ(PWStylePasteboard::styleFromPasteboard(*pasteboard), style);
}

TEST(PWOutPasteboard, ArchivedStyleIsReadWhenTheKeyIsUnknown)
{
    const auto source = freshPasteboard();
    QString key;
    {
        const pf::Ref<PWStyle> gone = redStyle();
        key = gone->uniqueKey();
        PWStylePasteboard::copyToPasteboard(gone, *source);
    }
    // The style itself is gone: the archived form stands in, with the same look and key.
    const pf::Ref<PWStyle> read = PWStylePasteboard::styleFromPasteboard(*source);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->uniqueKey(), key);
    EXPECT_TRUE(read->isEqualToStyle(redStyle().get()));
    EXPECT_EQ(read->name(), QStringLiteral("Red"));

    const auto keyOnly = freshPasteboard();
    keyOnly->declareTypes({kPWStyleKeyPasteboardType});
    keyOnly->setString(key, kPWStyleKeyPasteboardType);
    EXPECT_FALSE(PWStylePasteboard::styleFromPasteboard(*keyOnly));
    EXPECT_FALSE(PWStylePasteboard::styleFromPasteboard(*freshPasteboard()));
}

TEST(PWOutPasteboard, RenderersComeBackAsIndependentCopies)
{
    auto stroke = std::make_shared<PWStroke>();
    stroke->setWidth(4.5);
    const pf::Ref<PWStyle> owner = redStyle();
    owner->addRenderer(stroke);
    const auto pasteboard = freshPasteboard();
    ASSERT_TRUE(PWRasterizerPasteboard::copyToPasteboard(stroke, *pasteboard));
    const auto read = std::dynamic_pointer_cast<PWStroke>(PWRasterizerPasteboard::rasterizerFromPasteboard(*pasteboard));
    ASSERT_TRUE(read);
    EXPECT_NE(read, stroke);
    EXPECT_DOUBLE_EQ(read->width(), 4.5);
    EXPECT_EQ(read->container(), nullptr);
    EXPECT_FALSE(PWRasterizerPasteboard::rasterizerFromPasteboard(*freshPasteboard()));
}
