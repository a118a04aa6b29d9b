#include "DocumentTestSupport.h"

#include "app/CVLDearchivingHelper.h"
#include "frameworks/penwork/archiving/PWClassObject.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "widgets/RVProgressController.h"
#include "widgets/RVProgressViewController.h"

#include <cmath>

namespace {

using namespace quillory::test;
using pf::Ref;

class DearchivingHelperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        PWDrawing::setDearchivingHelperClass(CVLDearchivingHelper::staticClass().name());
    }
    void TearDown() override
    {
        PWDrawing::setDearchivingHelperClass({});
        for (const auto& document : QList<pf::Ref<pf::Document>>(documentController().documents()))
            document->close();
        waitUntil([] { return RVProgressController::sharedProgress()->progressViews().isEmpty(); }, 2000);
    }
};

TEST_F(DearchivingHelperTest, PollingReportsTheDecodedFractionAndNeverEndsTheViewItself)
{
    auto helper = std::make_shared<CVLDearchivingHelper>();
    pf::KeyedUnarchiver unarchiver(pf::KeyedArchiver::archivedData(PWDrawing::defaultDrawing()));
    helper->unarchiverWillStart(unarchiver);
    ASSERT_TRUE(helper->progress());
    EXPECT_EQ(helper->totalNumberOfObjects(), CVLDearchivingHelper::kDefaultTotal) << "a helper started without a count";
    EXPECT_DOUBLE_EQ(helper->progressFractionForProgress(*helper->progress(), false), 0.0);

    helper->setTotalNumberOfObjects(0);
    const double none = helper->progressFractionForProgress(*helper->progress(), false);
    EXPECT_FALSE(std::isnan(none));
    EXPECT_TRUE(helper->progress()->isIndeterminate()) << "no count is an indeterminate bar";

    helper->progress()->setIndeterminate(false);
    helper->setTotalNumberOfObjects(1);
    PWDrawingArchiving::drawingWithData(PWDrawingArchiving::dataWithDrawing(PWDrawing::defaultDrawing()), helper);
    const double past = helper->progressFractionForProgress(*helper->progress(), false);
    EXPECT_LT(past, 1.0) << "the poll never reads 100 per cent";
    EXPECT_TRUE(helper->progress()->isIndeterminate());

    helper->progressFractionForProgress(*helper->progress(), true);
    EXPECT_TRUE(helper->isCancelled()) << "the user's cancel reaches the framework";
    helper->unarchiverDidFinish(unarchiver);
    helper->unarchiverDidFinish(unarchiver);
}

TEST_F(DearchivingHelperTest, RetiredLabelShapesDecodeAsPlainShapes)
{
    CVLDearchivingHelper helper;
    pf::KeyedUnarchiver unarchiver(QByteArray{});
    for (const QString& name : {QStringLiteral("PWXLabelShape"), QStringLiteral("PWXLabelledShape")})
        EXPECT_EQ(helper.cannotDecodeObjectOfClassName(unarchiver, name, {}), &PWDrawableShape::staticClass());
    EXPECT_EQ(helper.cannotDecodeObjectOfClassName(unarchiver, QStringLiteral("Nothing"), {}), nullptr);
}

// A document reacts only to the notification carrying its own data, shows it against 30000
// objects when the archive gives no count, and stops observing when it is done.
TEST_F(DearchivingHelperTest, EachDocumentFollowsItsOwnData)
{
    Ref<RVCartavelDocument> first = newDocument();
    Ref<RVCartavelDocument> second = newDocument();
    const QByteArray firstData("first data");
    const QByteArray secondData("second data");
    first->setUpFileOpeningProgress(firstData, QStringLiteral("First"));
    second->setUpFileOpeningProgress(secondData, QStringLiteral("Second"));

    auto helper = std::make_shared<CVLDearchivingHelper>();
    pf::NotificationCenter::defaultCenter().post(
        kPWDrawingWillBeginDearchiving, PWClassObject::forClass(PWDrawing::staticClass()),
        {{QStringLiteral("Data"), QVariant(secondData)}, {QStringLiteral("Helper"), pf::toVariant(helper)},
         {QStringLiteral("NumberOfObjects"), QVariant::fromValue<qulonglong>(0)}});
    EXPECT_FALSE(first->fileOpenProgress());
    ASSERT_TRUE(second->fileOpenProgress());
    EXPECT_EQ(helper->totalNumberOfObjects(), RVCartavelDocument::kDefaultExpectedObjects);
    EXPECT_EQ(second->fileOpenProgress()->promptString(), QStringLiteral("Opening File \u201cSecond\u201d"));
    EXPECT_FALSE(second->fileOpenProgress()->isTimeRemainingHidden());

    // Another post with the same data finds no observer any more.
    auto later = std::make_shared<CVLDearchivingHelper>();
    pf::NotificationCenter::defaultCenter().post(
        kPWDrawingWillBeginDearchiving, PWClassObject::forClass(PWDrawing::staticClass()),
        {{QStringLiteral("Data"), QVariant(secondData)}, {QStringLiteral("Helper"), pf::toVariant(later)},
         {QStringLiteral("NumberOfObjects"), QVariant::fromValue<qulonglong>(0)}});
    EXPECT_EQ(later->totalNumberOfObjects(), 0u);

    second->endFileOpenProgress();
    second->endFileOpenProgress();
    EXPECT_FALSE(second->fileOpenProgress());
    pf::KeyedUnarchiver unarchiver(QByteArray{});
    helper->unarchiverDidFinish(unarchiver);
}

TEST_F(DearchivingHelperTest, ACancelledOpeningFailsQuietly)
{
    Ref<RVCartavelDocument> source = newDocument();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        source->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    for (int i = 0; i < 200; ++i)
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(i, i, 5, 5)));
    QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("cancel.qlry"));
    ASSERT_TRUE(source->fileWrapperOfType(RVCartavelDocument::kNativeType, nullptr)->writeToPath(file));

    // The user cancels as soon as the file's progress view exists.
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWDrawingWillBeginDearchiving, PWClassObject::forClass(PWDrawing::staticClass()), [](const pf::Notification& n) {
            if (auto helper = pf::fromVariant<pf::Ref<PWUnarchivingHelper>>(n.userInfo.value(QStringLiteral("Helper"))))
                helper->setCancelled(true);
        });
    pf::Error error;
    EXPECT_FALSE(openDocument(file, &error));
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
    EXPECT_EQ(error.code(), pf::kErrorCancelled) << "a cancel is no error to show";
}

} // namespace
