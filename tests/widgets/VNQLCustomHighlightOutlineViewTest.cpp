#include "widgets/Gradient+VNQLApplicationColors.h"
#include "widgets/RVRoundRectSelectorControl.h"
#include "widgets/VNQLCustomHighlightOutlineView.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/OutlineViewDataSource.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/Window.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A row view that paints the outline's selection bands, as the layers panel's rows do.
class BandRowView : public pf::View {
public:
    BandRowView(VNQLCustomHighlightOutlineView& outline, const QRectF& frame) : pf::View(frame), m_outline(outline) {}
    bool isFlipped() const override { return true; }
    void drawRect(const QRectF&) override { m_outline.drawCustomSelectionHighlightForView(this); }

private:
    VNQLCustomHighlightOutlineView& m_outline;
};

class FiveRows : public pf::OutlineViewDataSource {
public:
    int numberOfChildrenOfItem(pf::OutlineView&, const QVariant& item) override { return item.isValid() ? 0 : 5; }
    QVariant child(pf::OutlineView&, int index, const QVariant&) override { return QStringLiteral("row %1").arg(index); }
    bool isItemExpandable(pf::OutlineView&, const QVariant&) override { return false; }
};

class HighlightOutline : public ::testing::Test {
protected:
    void SetUp() override
    {
        outline.setFrame(QRectF(0, 0, 200, 200));
        outline.addTableColumn(std::make_shared<pf::TableColumn>(QStringLiteral("name")));
        outline.setDataSource(&rows);
        outline.reloadData();
    }
    pf::IndexSet indexes(std::initializer_list<int> list)
    {
        pf::IndexSet set;
        for (int i : list)
            set.add(i);
        return set;
    }
    FiveRows rows;
    VNQLCustomHighlightOutlineView outline;
};

TEST_F(HighlightOutline, EachRunOfRowsIsOneBandEndingAtItsLastRow)
{
    const auto bands = outline.highlightRectsForRows(indexes({0, 1, 3}));
    ASSERT_EQ(bands.size(), 2);
    EXPECT_EQ(bands[0], outline.rectOfRow(0).united(outline.rectOfRow(1)));
    EXPECT_EQ(bands[1], outline.rectOfRow(3));
    // The last row alone: its own rectangle, not the one after it.
    EXPECT_EQ(outline.highlightRectsForRows(indexes({4})), QList<QRectF>{outline.rectOfRow(4)});
    EXPECT_FALSE(outline.acceptsFirstResponder());
}

TEST_F(HighlightOutline, PaintsTheRowGradientInTheSelectedBandOnly)
{
    outline.selectRowIndexes(indexes({1}), false);
    auto* rowView = new BandRowView(outline, QRectF(0, 0, 200, 200));
    outline.addSubview(rowView);
    rowView->setFrame(outline.bounds());
    const QImage image = rowView->cacheDisplayInRect(rowView->bounds()).convertToFormat(QImage::Format_ARGB32);
    const QRectF band = rowView->convertRectFromView(outline.rectOfRow(1), &outline);
    EXPECT_GT(qAlpha(image.pixel(int(band.center().x()), int(band.center().y()))), 0);
    const QRectF next = rowView->convertRectFromView(outline.rectOfRow(2), &outline);
    EXPECT_EQ(qAlpha(image.pixel(int(next.center().x()), int(next.center().y()) + 2)), 0);
}

// --- Round-rect selector

class Selector : public ::testing::Test {
protected:
    void SetUp() override
    {
        selector = new RVRoundRectSelectorControl(QRectF(0, 0, 70, 70));
        auto* root = new pf::View(QRectF(0, 0, 100, 100));
        root->addSubview(selector);
        window.setContentView(root);
    }
    pf::Event mouse(int type, QPointF point)
    {
        pf::Event event = pf::Event::mouseEvent(type, selector->convertPointToView(point, nullptr), 0,
                                                pf::Event::now(), 0, 0, 1, 1);
        event.window = &window;
        return event;
    }
    void click(QPointF down, QPointF up)
    {
        pf::EventQueue::shared().postEvent(mouse(pf::LeftMouseUp, up), false);
        selector->mouseDown(mouse(pf::LeftMouseDown, down));
    }
    pf::Window window;
    RVRoundRectSelectorControl* selector = nullptr;
};

TEST_F(Selector, QuadrantsPickTheirCorners)
{
    EXPECT_EQ(selector->corners(), 15u);
    struct Case {
        QPointF point;
        unsigned corner;
    };
    for (const Case c : {Case{{15, 15}, 1}, Case{{55, 15}, 4}, Case{{15, 55}, 2}, Case{{55, 55}, 8}})
        EXPECT_EQ(selector->cornerAtPoint(c.point), c.corner) << c.point.x() << "," << c.point.y();
}

TEST_F(Selector, ReleasingInsideTogglesOnlyThatCornerAndOutsideNothing)
{
    click(QPointF(55, 15), QPointF(56, 16));
    EXPECT_EQ(selector->corners(), 15u & ~4u);
    click(QPointF(55, 15), QPointF(15, 55));
    EXPECT_EQ(selector->corners(), 15u & ~4u);
    click(QPointF(15, 55), QPointF(16, 54));
    EXPECT_EQ(selector->corners(), 15u & ~4u & ~2u);
    EXPECT_TRUE(selector->description().endsWith(QStringLiteral(" corners=9")));
}

TEST_F(Selector, MixedStateDrawsADashedOutline)
{
    const auto draw = [&] {
        QImage image(70, 70, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        pf::GraphicsContextScope scope(painter, true);
        selector->drawRect(selector->bounds());
        return image;
    };
    const QImage solid = draw();
    selector->setState(RVRoundRectSelectorControl::kMixedState);
    const QImage dashed = draw();
    EXPECT_NE(solid, dashed);
}

} // namespace
