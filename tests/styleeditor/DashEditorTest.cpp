#include "tests/styleeditor/StyleEditorTestSupport.h"

#include "styleeditor/RVDashEditView.h"
#include "styleeditor/RVDashEditor.h"
#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

#include "frameworks/penwork/styles/PWStroke.h"
#include "platform/ui/MenuItem.h"

#include "platform/foundation/NotificationCenter.h"

#include <QFileInfo>

using namespace style_test;
using pf::Ref;

namespace {

struct RecordingDelegate : RVDashEditorDelegate {
    void dashDidChange(RVDashEditor& editor) override
    {
        ++changes;
        last = editor.dash();
    }
    void dashEditorDidRegisterDash(RVDashEditor&, const Ref<PWStrokeDash>&) override { ++registered; }
    int changes = 0;
    int registered = 0;
    Ref<PWStrokeDash> last;
};

class DashEditorTest : public StyleEditorTest {
protected:
    void SetUp() override
    {
        StyleEditorTest::SetUp();
        PWStrokeDash::removeAllRegisteredDashes();
    }
    void TearDown() override
    {
        PWStrokeDash::removeAllRegisteredDashes();
        StyleEditorTest::TearDown();
    }
};

} // namespace

TEST_F(DashEditorTest, PairCountKeepsTheFirstPairAndFillsNewElementsWithOne)
{
    RVDashEditor editor;
    editor.setDash(PWStrokeDash::dashWithPattern({4, 2}, 2));
    editor.setDashCount(6);
    EXPECT_EQ(editor.dash()->pattern(), (QList<double>{4, 2, 1, 1, 1, 1}));
    EXPECT_EQ(editor.countMatrix()->selectedColumn(), 2);
    EXPECT_TRUE(editor.patternField(5)->isEnabled());
    editor.setDashCount(2);
    EXPECT_EQ(editor.dash()->pattern(), (QList<double>{4, 2}));
    for (int i = 2; i < 8; ++i) {
        EXPECT_FALSE(editor.patternField(i)->isEnabled()) << i;
        EXPECT_TRUE(editor.patternField(i)->stringValue().isEmpty()) << i;
    }
    EXPECT_DOUBLE_EQ(editor.phaseSlider()->maxValue(), 6);
}

TEST_F(DashEditorTest, HandlesSitAtElementEndsAndStackWhenTheyMeet)
{
    RVDashEditView view;
    view.setFrame(QRectF(0, 0, 300, 40));
    auto dash = PWStrokeDash::dashWithPattern({10, 5, 30, 2}, 4);
    dash->setScalesToLineWidth(false);
    view.setDash(dash);
    view.calcHandles();
    const double b = view.baseline();
    EXPECT_DOUBLE_EQ(b, 10);
    const QList<QRectF> handles = view.handles();
    ASSERT_EQ(handles.size(), 4);
    EXPECT_EQ(handles[0], QRectF(14, b + 15, 8, 8));
    // 5 points on, it would overlap the first: it moves away from the line by 8 + 1, which
    // would take it past the bottom edge (40), so it stops at the edge.
    EXPECT_EQ(handles[1], QRectF(19, 32, 8, 8));
    EXPECT_EQ(handles[2], QRectF(49, b + 15, 8, 8));
    EXPECT_EQ(handles[3], QRectF(51, 32, 8, 8));
    EXPECT_EQ(view.phaseHandle(), QRectF(8, b + 2, 5, 10));

    EXPECT_EQ(view.mouseInHandle(handles[2].center()), 2);
    EXPECT_EQ(view.mouseInHandle(view.phaseHandle().center()), RVDashEditView::kPhaseHandle);
    EXPECT_EQ(view.mouseInHandle(QPointF(200, 5)), RVDashEditView::kNoHandle);

    // With room below, the moved handle keeps one point clear of the one it met.
    view.setFrame(QRectF(0, 0, 300, 80));
    view.calcHandles();
    EXPECT_EQ(view.handles()[1], QRectF(19, view.baseline() + 15 + 8 + 1, 8, 8));
}

TEST_F(DashEditorTest, DraggingClampsLengthsAndPhaseAtZero)
{
    RVDashEditView view;
    view.setFrame(QRectF(0, 0, 300, 60));
    auto dash = PWStrokeDash::dashWithPattern({10, 5}, 2);
    dash->setScalesToLineWidth(true);
    view.setLineWidth(2);
    view.setDash(dash);
    view.setSelectedHandle(1);
    view.calcDashForPoint(QPointF(8 + 20 + 12, 0)); // start of element 1 is 8 + 10 x 2
    EXPECT_DOUBLE_EQ(dash->lengthAtIndex(1), 6);
    view.calcDashForPoint(QPointF(0, 0));
    EXPECT_DOUBLE_EQ(dash->lengthAtIndex(1), 0);
    view.setSelectedHandle(RVDashEditView::kPhaseHandle);
    view.calcDashForPoint(QPointF(2, 0));
    EXPECT_DOUBLE_EQ(dash->phase(), 0);
    view.calcDashForPoint(QPointF(18, 0));
    EXPECT_DOUBLE_EQ(dash->phase(), 5);
    // An invalid dash is drawn in red.
    dash->setDashPattern({0, 0}, 2);
    QImage image(300, 60, QImage::Format_ARGB32_Premultiplied);
    view.render(&image);
    EXPECT_EQ(view.lastStrokeColour().qColor(), QColor(Qt::red));
}

TEST_F(DashEditorTest, CancelGivesBackTheDashTheLineHadEvenNone)
{
    auto stroke = PWStroke::strokeWithWidth(2, pf::Color::black());
    showStyle({stroke});
    auto* pane = dynamic_cast<VNQLStyleEditSub_PWStroke*>(editor->subcontrollers().value(0));
    ASSERT_TRUE(pane);

    pane->openDashEditor();
    RVDashEditor* dashes = pane->dashEditor();
    ASSERT_TRUE(dashes && dashes->isOpen());
    EXPECT_TRUE(dashes->dash()->isEqualToDash(PWStrokeDash::defaultDash().get())) << "edits start from the default";
    dashes->setDashCount(4);
    dashes->dashValueAction({});
    ASSERT_TRUE(stroke->dash());
    dashes->cancel({});
    EXPECT_EQ(stroke->dash(), nullptr) << "a line without a dash keeps none";

    auto original = PWStrokeDash::dashWithPattern({3, 3}, 2);
    stroke->setDash(original);
    pane->openDashEditor();
    // Every edit gives the stroke a new dash, so the drawing follows each one.
    int redraws = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(kPWStyleDidChangeNotification, editor->style().get(),
                                                        [&redraws](const pf::Notification&) { ++redraws; });
    for (double mark : {7.0, 9.0}) {
        const int before = redraws;
        dashes->patternField(0)->setDoubleValue(mark);
        dashes->dashValueAction({});
        ASSERT_TRUE(stroke->dash());
        EXPECT_DOUBLE_EQ(stroke->dash()->lengthAtIndex(0), mark);
        EXPECT_NE(stroke->dash(), dashes->dash());
        EXPECT_GT(redraws, before) << "the drawing is told of the edit to " << mark;
    }
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    dashes->cancel({});
    EXPECT_TRUE(stroke->dash()->isEqualToDash(original.get()));

    pane->openDashEditor();
    dashes->patternField(0)->setDoubleValue(11);
    dashes->dashValueAction({});
    dashes->ok({});
    EXPECT_DOUBLE_EQ(stroke->dash()->lengthAtIndex(0), 11);
    EXPECT_FALSE(stroke->dash()->isBeingEdited());
}

TEST_F(DashEditorTest, SavingADashWritesTheFileAndReportsOnlyWhatWasSaved)
{
    RecordingDelegate delegate;
    RVDashEditor editor;
    editor.setDash(PWStrokeDash::dashWithPattern({8, 4}, 2));
    editor.openDashEditorInParentWindow(nullptr, &delegate);
    editor.registerDashAction({});
    EXPECT_EQ(delegate.registered, 1);
    ASSERT_EQ(PWStrokeDash::registeredDashes().size(), 1);
    EXPECT_EQ(QFileInfo(RVDashEditor::savedDashesPath()).fileName(), QStringLiteral("Saved Dashes.dashes"));
    EXPECT_TRUE(QFileInfo::exists(RVDashEditor::savedDashesPath()));

    editor.registerDashAction({}); // equal to a saved one: nothing
    EXPECT_EQ(delegate.registered, 1);
    editor.dash()->setDashPattern({0, 0}, 2); // refused by the framework
    editor.registerDashAction({});
    EXPECT_EQ(delegate.registered, 1);
    EXPECT_EQ(PWStrokeDash::registeredDashes().size(), 1);
    editor.cancel({});

    PWStrokeDash::removeAllRegisteredDashes();
    ASSERT_TRUE(RVDashEditor::restoreSavedDashes());
    EXPECT_EQ(PWStrokeDash::registeredDashes().size(), 1);
}

TEST_F(DashEditorTest, RegisteringFromAPaneSelectsTheNewMenuItem)
{
    auto stroke = PWStroke::strokeWithWidth(2, pf::Color::black());
    stroke->setDash(PWStrokeDash::dashWithPattern({5, 1}, 2));
    showStyle({stroke});
    auto* pane = dynamic_cast<VNQLStyleEditSub_PWStroke*>(editor->subcontrollers().value(0));
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->dashPopUp()->selectedItem()->tag(), VNQLStyleEditSub_PWStroke::kCustomDashTag);
    pane->openDashEditor();
    pane->dashEditor()->registerDashAction({});
    EXPECT_EQ(pane->dashPopUp()->selectedItem()->tag(), VNQLStyleEditSub_PWStroke::kRegisteredDashTag);
    pane->dashEditor()->ok({});
}
