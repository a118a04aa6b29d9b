#include "widgets/BezierPath+RoundRectangles.h"
#include "widgets/RVRectTrackingClient.h"
#include "widgets/RVRoundCornerButtonCell.h"
#include "widgets/RVValueMultiplierTransformer.h"
#include "widgets/String+CamelCase.h"
#include "widgets/String+CartavelExtensions.h"
#include "widgets/String+FontNames.h"
#include "widgets/View+CartavelExtensions.h"
#include "widgets/View+EventTrackingBlock.h"
#include "widgets/View+RectTrackingConvenience.h"
#include "widgets/View+StyleDragging.h"
#include "widgets/View+TagHiding.h"
#include "widgets/Window+CartavelExtensions.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <QDrag>
#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>

// A style as the drag sees it: an image and a way onto a pasteboard.
class DraggableStyle : public pf::Object {
    PF_CLASS(DraggableStyle)
public:
    pf::Ref<pf::Image> image() const { return m_image; }
    pf::Ref<pf::Image> m_image = pf::Image::fromQImage(QImage(8, 6, QImage::Format_ARGB32));
    int copies = 0;
};

PF_DEFINE_CLASS(DraggableStyle, pf::Object)
{
    b.property(QStringLiteral("image"), &DraggableStyle::image);
    b.method(QStringLiteral("copyToPasteboard:"),
             std::function<QVariant(DraggableStyle&, const QVariantList&)>([](DraggableStyle& self, const QVariantList& args) {
                 if (auto pasteboard = pf::objectCast<pf::Pasteboard>(args.value(0))) {
                     pasteboard->setString(QStringLiteral("style"), QStringLiteral("public.utf8-plain-text"));
                     ++self.copies;
                 }
                 return QVariant();
             }));
}

namespace {

// Without a source given, the view is the drag's source.
class SourceView : public pf::View, public pf::DraggingSource {
public:
    using pf::View::View;
    unsigned draggingSourceOperationMask(pf::DraggingContext) override { return pf::DragOperationCopy; }
};

TEST(StyleDraggingTest, ObjectGoesOnTheDragPasteboardWithItsImageCentred)
{
    SourceView view(QRectF(0, 0, 50, 50));
    EXPECT_THROW(dragStyle(view, nullptr, pf::Event()), pf::Exception);

    auto style = std::make_shared<DraggableStyle>();
    QPoint hotSpot;
    QSize pictureSize;
    pf::DraggingSession::setExecHookForTesting([&](QDrag& drag, Qt::DropActions) {
        hotSpot = drag.hotSpot();
        pictureSize = drag.pixmap().size();
        return Qt::IgnoreAction;
    });
    dragStyleOrSymbol(view, style, pf::Event::mouseEvent(pf::LeftMouseDragged, QPointF(10, 10), 0, 0, 0, 0, 1, 1));
    pf::DraggingSession::setExecHookForTesting({});
    EXPECT_EQ(style->copies, 1);
    EXPECT_EQ(pf::Pasteboard::drag()->stringForType(QStringLiteral("public.utf8-plain-text")), QStringLiteral("style"));
    // The style's picture, with the pointer at its middle.
    EXPECT_EQ(pictureSize, style->m_image->bitmap().size());
    ASSERT_FALSE(pictureSize.isEmpty());
    EXPECT_EQ(hotSpot, QPoint(pictureSize.width() / 2, pictureSize.height() / 2));
}

TEST(StringExtensionsTest, CamelCaseAndSetters)
{
    const struct {
        const char* key;
        const char* capitalised;
    } cases[] = {{"fillColour", "FillColour"}, {"x", "X"}, {"URLString", "URLString"}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(capitalizedStringPreservingCamelCase(QString::fromLatin1(c.key)), QString::fromLatin1(c.capitalised));
    EXPECT_EQ(setterString(QStringLiteral("fillColour")), QStringLiteral("setFillColour:"));
}

TEST(StringExtensionsTest, NumericCaseInsensitiveCompare)
{
    EXPECT_LT(localisedCaseInsensitiveNumericCompare(QStringLiteral("Layer 9"), QStringLiteral("Layer 10")), 0);
    EXPECT_GT(localisedCaseInsensitiveNumericCompare(QStringLiteral("layer 10"), QStringLiteral("Layer 9")), 0);
    EXPECT_EQ(localisedCaseInsensitiveNumericCompare(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
}

TEST(StringExtensionsTest, FontNameAndSize)
{
    const struct {
        const char* text;
        const char* name; // null for none
        double size;
    } cases[] = {
        {"helvetica bold 12", "Helvetica Bold", 12},
        {"  TIMES   new roman 10.5pt", "Times New Roman", 10.5},
        {"helvetica\nbold 9", "Helvetica Bold", 9},
        {"Courier", "Courier", 0},
        {"12 helvetica", nullptr, 12},
        {"", nullptr, 0},
    };
    for (const auto& c : cases) {
        double size = -1;
        const QString name = fontNameAndSize(QString::fromLatin1(c.text), &size);
        if (c.name)
            EXPECT_EQ(name, QString::fromLatin1(c.name)) << c.text;
        else
            EXPECT_TRUE(name.isNull()) << c.text;
        EXPECT_DOUBLE_EQ(size, c.size) << c.text;
    }
    EXPECT_EQ(fontName(QStringLiteral("helvetica bold 12")), QStringLiteral("Helvetica Bold"));
    EXPECT_FALSE(fontValue(QStringLiteral("12")).has_value());
}

TEST(ViewExtensionsTest, TagHidingLeavesUntaggedViews)
{
    pf::View root(QRectF(0, 0, 100, 100));
    auto* one = new pf::View(QRectF(0, 0, 10, 10));
    auto* two = new pf::View(QRectF(10, 0, 10, 10));
    auto* three = new pf::View(QRectF(20, 0, 10, 10));
    auto* untagged = new pf::View(QRectF(30, 0, 10, 10));
    auto* nested = new pf::View(QRectF(0, 0, 5, 5));
    one->setTag(1);
    two->setTag(2);
    three->setTag(3);
    nested->setTag(2);
    for (pf::View* view : {one, two, three, untagged})
        root.addSubview(view);
    three->addSubview(nested);

    setHiddenIfTagDoesntEqual(root, 3);
    EXPECT_TRUE(one->isHidden());
    EXPECT_TRUE(two->isHidden());
    EXPECT_FALSE(three->isHidden());
    EXPECT_FALSE(untagged->isHidden());
    EXPECT_TRUE(nested->isHidden());

    setShownIfTagEquals(root, 2);
    EXPECT_FALSE(two->isHidden());
    EXPECT_FALSE(nested->isHidden());
    EXPECT_TRUE(one->isHidden());
    setHiddenIfTagEquals(root, 3);
    EXPECT_TRUE(three->isHidden());
    setShownIfTagDoesntEqual(root, 2);
    EXPECT_FALSE(one->isHidden());
    EXPECT_FALSE(three->isHidden());
}

TEST(ViewExtensionsTest, ExtentOfSubviews)
{
    pf::View root(QRectF(0, 0, 100, 100));
    EXPECT_EQ(extentOfSubviews(root), QRectF());
    root.addSubview(new pf::View(QRectF(10, 20, 5, 5)));
    root.addSubview(new pf::View(QRectF(40, 5, 10, 10)));
    EXPECT_EQ(extentOfSubviews(root), QRectF(10, 5, 40, 20));
}

TEST(WindowExtensionsTest, ExtendingKeepsTheTopEdge)
{
    pf::Window window;
    window.setFrame(QRectF(100, 200, 300, 400));
    const QRectF before = window.frame();
    extendWindowVerticallyBy(window, 50);
    const QRectF after = window.frame();
    EXPECT_DOUBLE_EQ(after.height(), before.height() + 50);
    EXPECT_DOUBLE_EQ(after.y() + after.height(), before.y() + before.height());
    EXPECT_DOUBLE_EQ(after.x(), before.x());
}

TEST(RVValueMultiplierTransformerTest, MultipliesAndDividesBack)
{
    RVValueMultiplierTransformer transformer(2.5);
    EXPECT_TRUE(transformer.allowsReverseTransformation());
    EXPECT_DOUBLE_EQ(transformer.transformedValue(4).toDouble(), 10);
    EXPECT_DOUBLE_EQ(transformer.reverseTransformedValue(10).toDouble(), 4);
    EXPECT_FALSE(transformer.transformedValue(QVariant()).isValid());
    EXPECT_FALSE(transformer.reverseTransformedValue(QVariant()).isValid());
    EXPECT_THROW(transformer.transformedValue(QStringLiteral("4")), pf::Exception);
    EXPECT_THROW(transformer.reverseTransformedValue(QStringLiteral("4")), pf::Exception);

    transformer.setMultiplier(0);
    EXPECT_DOUBLE_EQ(transformer.transformedValue(4).toDouble(), 0);
    // Nothing to divide by: no value, rather than infinity.
    EXPECT_FALSE(transformer.reverseTransformedValue(10).isValid());
}

TEST(RVRoundCornerButtonCellTest, MatrixRoundsOnlyItsOuterCorners)
{
    pf::Matrix matrix(2, 3, std::make_shared<RVRoundCornerButtonCell>());
    const int expected[2][3] = {
        {kRoundMinXMinYCorner, 0, kRoundMaxXMinYCorner},
        {kRoundMinXMaxYCorner, 0, kRoundMaxXMaxYCorner},
    };
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            auto* cell = dynamic_cast<RVRoundCornerButtonCell*>(matrix.cellAtRow(row, column));
            ASSERT_TRUE(cell);
            EXPECT_EQ(cell->cornerOptionsInView(&matrix), expected[row][column]) << row << "," << column;
            // Inner cells reach a point into their neighbours; the last row and column do not.
            const QRectF outline = cell->outlineRectForFrame(QRectF(0, 0, 40, 20), &matrix);
            EXPECT_DOUBLE_EQ(outline.width(), column < 2 ? 40 : 39);
            EXPECT_DOUBLE_EQ(outline.height(), row < 1 ? 20 : 19);
        }
    }
}

TEST(RVRoundCornerButtonCellTest, PlainButtonAndOtherViews)
{
    auto cell = std::make_shared<RVRoundCornerButtonCell>(QStringLiteral("OK"));
    pf::Button button(cell);
    EXPECT_EQ(cell->cornerOptionsInView(&button), kRoundAllCorners);
    EXPECT_EQ(cell->outlineRectForFrame(QRectF(0, 0, 100, 30), &button), QRectF(5.5, 3.5, 89, 20));
    pf::View other(QRectF(0, 0, 10, 10));
    EXPECT_EQ(cell->cornerOptionsInView(&other), kRoundAllCorners);
    EXPECT_EQ(cell->outlineRectForFrame(QRectF(0, 0, 100, 30), &other), QRectF(0.5, 0.5, 99, 29));

    cell->setRadioGroupID(7);
    auto copy = std::dynamic_pointer_cast<RVRoundCornerButtonCell>(cell->copyCell());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->radioGroupID(), 7);
}

class RectClient : public pf::View, public RVRectTrackingClient {
public:
    using pf::View::View;
    void mouseDidEnterRect(const QRectF&) override { messages.append(QStringLiteral("enter")); }
    void mouseDidExitRect(const QRectF&) override { messages.append(QStringLiteral("exit")); }
    QStringList messages;
};

pf::Event mouse(int type, QPointF location)
{
    return pf::Event::mouseEvent(type, location, 0, 0, 0, 0, 1, 1);
}

TEST(EventTrackingTest, TimeOutCallsTheBlockWithNoEvent)
{
    pf::View view(QRectF(0, 0, 10, 10));
    int calls = 0;
    bool sawNull = false;
    trackEvents(view, pf::kAnyEventMask, 0.0, true, [&](const pf::Event* event, bool& stop) {
        ++calls;
        sawNull = event == nullptr && stop;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(sawNull);
}

TEST(EventTrackingTest, RectTrackingOutsideSendsNothing)
{
    RectClient view(QRectF(0, 0, 100, 100));
    const QRectF rect(10, 10, 20, 20);
    const QPointF outside = view.convertPointToView(QPointF(80, 80), nullptr);
    EXPECT_FALSE(trackMouseEvent(view, mouse(pf::LeftMouseDown, outside), rect));
    EXPECT_TRUE(view.messages.isEmpty());
}

TEST(EventTrackingTest, RectTrackingFollowsTheMouseInAndOut)
{
    RectClient view(QRectF(0, 0, 100, 100));
    const QRectF rect(10, 10, 20, 20);
    auto at = [&](QPointF point) { return view.convertPointToView(point, nullptr); };
    pf::Application* application = pf::Application::shared();
    application->postEvent(mouse(pf::LeftMouseDragged, at(QPointF(80, 80))), false);
    application->postEvent(mouse(pf::LeftMouseDragged, at(QPointF(15, 15))), false);
    application->postEvent(mouse(pf::LeftMouseUp, at(QPointF(20, 20))), false);
    EXPECT_TRUE(trackMouseEvent(view, mouse(pf::LeftMouseDown, at(QPointF(12, 12))), rect));
    EXPECT_EQ(view.messages, (QStringList{"enter", "exit", "enter", "exit"}));
}

} // namespace
