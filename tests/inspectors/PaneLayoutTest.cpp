// The sidebar panes at the sidebar's narrowest width, in the fonts a Debian desktop uses:
// every label, button, field and pop-up shows its whole text inside the pane.
#include <gtest/gtest.h>

#include "app/RVCartavelDocument.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLDrawingExtensions.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "drawing/PWXTaggedStroke.h"
#include "drawing/PWXTaperedStroke.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWCIFilterTypeBlurGroup.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWGloomGroup.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWRepeatTransformGroup.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "inspectors/VNQLGeometryController.h"
#include "inspectors/VNQLLayersController.h"
#include "inspectors/VNQLPaneControls.h"
#include "inspectors/VNQLTextController.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryRegistryShim.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"
#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleEditorController.h"
#include "platform/graphics/BezierPath.h"
#include "tests/support/ClippedText.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QScrollArea>

using pf::Ref;

namespace {

struct DesktopFont {
    const char* family;
    double size;
};

void PrintTo(const DesktopFont& font, std::ostream* os)
{
    *os << font.family << " " << font.size;
}

// The sans-serif faces of a Debian desktop, at the sizes its desktops set, and the size Qt falls
// back to where no desktop sets one.
const DesktopFont kDesktopFonts[] = {{"DejaVu Sans", 9}, {"DejaVu Sans", 10}, {"DejaVu Sans", 11}, {"Liberation Sans", 11}};

class PaneLayoutTest : public ::testing::TestWithParam<DesktopFont> {
protected:
    void SetUp() override
    {
        const DesktopFont font = GetParam();
        if (!QFontDatabase::families().contains(QString::fromLatin1(font.family)))
            GTEST_SKIP() << font.family << " is not installed (scripts/install-deps installs it)";
        m_oldFont = QApplication::font();
        QFont desktop(QString::fromLatin1(font.family));
        desktop.setPointSizeF(font.size);
        QApplication::setFont(desktop);
        VNQLDrawingExtensions::install();
        drawing = std::make_shared<PWDrawing>();
        layer = std::make_shared<PWObjectDrawingLayer>();
        layer->setLayerName(QStringLiteral("Graph Paper"));
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
    }
    void TearDown() override
    {
        if (m_oldFont)
            QApplication::setFont(*m_oldFont);
    }

    static void settle()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }
    template <class T>
    Ref<T> add(const Ref<T>& object)
    {
        layer->addObject(object);
        return object;
    }
    // The width a pane's content gets: the sidebar's, less the scroll bar when one shows.
    static int visibleWidth(QWidget* root)
    {
        int width = root->width();
        for (auto* scroll : root->findChildren<QScrollArea*>())
            if (scroll->isVisible())
                width = std::min(width, scroll->mapTo(root, QPoint(scroll->viewport()->width(), 0)).x());
        return width;
    }

    Ref<PWDrawing> drawing;
    Ref<PWObjectDrawingLayer> layer;
    std::optional<QFont> m_oldFont;
};

QByteArray pngOf(const QSize& size)
{
    QImage pixels(size, QImage::Format_ARGB32);
    pixels.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "PNG");
    return png;
}

TEST_P(PaneLayoutTest, GeometryPanesShowTheirWholeTextAtTheSidebarsNarrowestWidth)
{
    auto tab = std::make_shared<VNQLGeometryController>();
    QWidget* view = tab->view();
    view->resize(int(RVCartavelDocument::kSidebarMinimumSize), 1400);
    view->show();
    tab->setDrawing(drawing);

    pf::BezierPath straight;
    straight.moveTo({1234.56, 1234.56});
    straight.lineTo({2345.67, 1234.56});
    // Long numbers in every field: positions and sizes past a thousand points.
    const QRectF big(1234.56, 1234.56, 1584.32, 999.99);
    struct Case {
        const char* name;
        std::function<QList<Ref<PWDrawableObject>>()> make;
    };
    const QList<Case> cases = {
        {"round rectangles of two styles", [&] {
             auto a = add(PWRoundRectShape::roundRectShapeWithRect(big, 12.5));
             auto b = add(PWRoundRectShape::roundRectShapeWithRect(big.translated(50, 0), 8));
             b->setStyle(PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color(QColor(Qt::blue))));
             return QList<Ref<PWDrawableObject>>{a, b};
         }},
        {"a line", [&] { return QList<Ref<PWDrawableObject>>{add(PWDrawablePath::drawablePathWithPath(straight))}; }},
        {"an arc", [&] { return QList<Ref<PWDrawableObject>>{add(PWArcPath::arcPathWithCentre({1500, 1500}, 300, 12.5, 270.25))}; }},
        {"a polygon", [&] { return QList<Ref<PWDrawableObject>>{add(PWRegularPolygonPath::polygonWithCentre({1500, 1500}, 300, 6))}; }},
        {"images", [&] {
             auto a = add(std::make_shared<PWImageShape>(pngOf({30, 20})));
             auto b = add(std::make_shared<PWImageShape>(pngOf({30, 20})));
             a->setSize(QSizeF(1234.5, 999.9));
             return QList<Ref<PWDrawableObject>>{a, b};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        layer->exchangeSelectionWithObjectsFromArray(c.make());
        settle();
        ASSERT_FALSE(tab->installedSubcontrollers().isEmpty());
        for (const QString& clip : quillory::test::clippedTexts(view, visibleWidth(view)))
            ADD_FAILURE() << clip.toStdString();
    }

    // The slice pane.
    drawing->addLayer(std::make_shared<VNQLSlicesLayer>());
    Ref<VNQLSlicesLayer> slices = slicesLayer(*drawing);
    ASSERT_TRUE(slices);
    auto slice = std::make_shared<PWXSlice>();
    slice->setBounds(big);
    slice->setTitle(QStringLiteral("Harbour"));
    slices->addSlice(slice);
    slices->selectSlice(slice, false);
    drawing->setActiveLayer(slices);
    settle();
    for (const QString& clip : quillory::test::clippedTexts(view, visibleWidth(view)))
        ADD_FAILURE() << "slice: " << clip.toStdString();
}

TEST_P(PaneLayoutTest, LayersPanelShowsItsWholeTextAtTheSidebarsNarrowestWidth)
{
    for (int i = 0; i < 3; ++i)
        add(PWRoundRectShape::roundRectShapeWithRect(QRectF(10 * i, 0, 40, 40), 4));
    auto controller = std::make_shared<VNQLLayersController>();
    QWidget* view = controller->view();
    view->resize(int(RVCartavelDocument::kSidebarMinimumSize), 900);
    view->show();
    controller->setDrawing(drawing);
    settle();
    QStringList checked;
    for (const QString& clip : quillory::test::clippedTexts(view, visibleWidth(view), &checked))
        ADD_FAILURE() << clip.toStdString();
    EXPECT_TRUE(checked.contains(QStringLiteral("Graph Paper"))) << qPrintable(checked.join(u'|'));
}

TEST_P(PaneLayoutTest, NumberFieldsFittedToARangeShowItsWidestValues)
{
    struct Case {
        double low, high;
        int digits;
        bool unit;
        const char* widest;
    };
    const Case cases[] = {
        {-360, 360, 2, false, "-359.99"}, {0, 1, 2, true, "0.99cm"}, {-10, 10, 2, true, "-9.99cm"},
        {-1, 1, 2, false, "-0.99"},       {0, 100, 2, false, "99.99"}, {0, 100, 2, false, "100"},
        {0, 50, 0, false, "49"},
        {0, 5000, 2, false, "-4,999.99"}, // past a thousand the field keeps its usual width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.widest);
        std::unique_ptr<pf::View> pane(VNQLPaneControls::makePaneView());
        pf::TextField* field = VNQLPaneControls::numberField(nullptr, QStringLiteral("noAction:"));
        const int usual = field->width();
        VNQLPaneControls::fitFieldToRange(field, c.low, c.high, c.digits, c.unit);
        VNQLPaneControls::addRow(pane.get(), QStringLiteral("Value:"),
                                 {field, VNQLPaneControls::stepper(nullptr, QStringLiteral("noAction:"))});
        VNQLPaneControls::finish(pane.get());
        pane->resize(int(RVCartavelDocument::kSidebarMinimumSize), pane->minimumHeight());
        pane->show();
        field->setFormatter(nullptr);
        field->setStringValue(QString::fromUtf8(c.widest));
        settle();
        EXPECT_LE(field->width(), usual);
        for (const QString& clip : quillory::test::clippedTexts(pane.get()))
            ADD_FAILURE() << clip.toStdString();
    }
}

// One renderer of every kind the Style tab has a pane for; the groups hold a child each, and
// the plain stroke and fill cast shadows so the shadow controls show.
QList<Ref<PWRasterizer>> everyComponentKind()
{
    auto stroke = std::make_shared<PWStroke>();
    stroke->setShadow(std::make_shared<pf::Shadow>());
    auto fill = std::make_shared<PWFill>();
    fill->setShadow(std::make_shared<pf::Shadow>());
    auto group = std::make_shared<PWRastGroup>();
    group->addRenderer(std::make_shared<PWFill>());
    auto gloom = std::make_shared<PWGloomGroup>();
    gloom->addRenderer(std::make_shared<PWStroke>());
    auto blur = std::make_shared<PWCIFilterTypeBlurGroup>();
    blur->addRenderer(std::make_shared<PWFill>());
    auto repeat = std::make_shared<PWRepeatTransformGroup>();
    repeat->addRenderer(std::make_shared<PWRoughStroke>());
    return {fill,
            std::make_shared<PWGradientFill>(),
            std::make_shared<PWHatching>(),
            std::make_shared<PWTilingFill>(),
            std::make_shared<PWFillPattern>(),
            std::make_shared<PWZigZagFill>(),
            group,
            gloom,
            blur,
            repeat,
            stroke,
            std::make_shared<PWArrowStroke>(),
            std::make_shared<PWRoughStroke>(),
            std::make_shared<PWZigZagStroke>(),
            std::make_shared<PWXTaggedStroke>(),
            std::make_shared<PWXTaperedStroke>(),
            std::make_shared<PWPathDecorator>(),
            std::make_shared<PWImageAdornment>()};
}

TEST_P(PaneLayoutTest, StylePanesShowTheirWholeTextAtTheSidebarsNarrowestWidth)
{
    PWXLibrary::resetRegistryForTesting();
    const Ref<PWStyleRegistry> previousRegistry = PWStyleRegistry::sharedRegistry();
    PWStyleRegistry::setSharedRegistry(PWXLibraryRegistryShim::shim());
    {
        auto editor = std::make_shared<VNQLStyleEditorController>();
        QWidget* view = editor->view();
        view->resize(int(RVCartavelDocument::kSidebarMinimumSize), 900);
        view->show();
        editor->setDrawing(drawing);
        auto style = std::make_shared<PWStyle>();
        style->setName(QStringLiteral("Harbour Wall Outline"));
        for (const auto& renderer : everyComponentKind())
            style->addRenderer(renderer);
        layer->exchangeSelectionWithObjectsFromArray(
            {add(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 60, 40), style))});
        settle();

        QSet<QString> kinds;
        for (VNQLStyleComponentController* pane : editor->subcontrollers())
            kinds.insert(pane->className());
        for (const char* kind : {"VNQLStyleEditSub_PWStroke", "VNQLStyleEditSub_PWArrowStroke", "VNQLStyleEditSub_PWRoughStroke",
                                 "VNQLStyleEditSub_PWZigZagStroke", "VNQLStyleEditSub_PWXTaggedStroke",
                                 "VNQLStyleEditSub_PWXTaperedStroke", "VNQLStyleEditSub_PWFill", "VNQLStyleEditSub_PWGradientFill",
                                 "VNQLStyleEditSub_PWHatching", "VNQLStyleEditSub_PWTilingFill", "VNQLStyleEditSub_PWFillPattern",
                                 "VNQLStyleEditSub_PWZigZagFill", "VNQLStyleEditSub_PWGloomGroup",
                                 "VNQLStyleEditSub_PWCIFilterTypeBlurGroup", "VNQLStyleEditSub_PWRepeatTransformGroup",
                                 "VNQLStyleEditSub_PWPathDecorator", "VNQLStyleEditSub_PWImageAdornment",
                                 "VNQLStyleComponentPlaceholder"})
            EXPECT_TRUE(kinds.contains(QString::fromLatin1(kind))) << kind;

        // The stack is as tall as its panes: show it all at the sidebar's width.
        view->resize(view->width(), std::max(900, view->sizeHint().height()));
        settle();
        // The header against the tab's width, the panes against the room their scroll view shows.
        QStringList checked;
        for (const QString& clip : quillory::test::clippedTexts(view, view->width()))
            ADD_FAILURE() << clip.toStdString();
        auto* scroll = view->findChild<QScrollArea*>();
        ASSERT_TRUE(scroll);
        for (const QString& clip : quillory::test::clippedTexts(scroll->viewport(), scroll->viewport()->width(), &checked))
            ADD_FAILURE() << clip.toStdString();
        EXPECT_TRUE(checked.contains(QStringLiteral("Square"))) << qPrintable(checked.join(u'|'));
        view->hide();
    }
    PWStyleRegistry::setSharedRegistry(previousRegistry);
    PWXLibrary::resetRegistryForTesting();
    pf::UserDefaults::standard().removeObjectForKey(kVNQLStyleEditorCollapseState);
}

TEST_P(PaneLayoutTest, TextPaneShowsItsWholeTextAtTheSidebarsNarrowestWidth)
{
    auto tab = std::make_shared<VNQLTextController>();
    QWidget* view = tab->view();
    view->resize(int(RVCartavelDocument::kSidebarMinimumSize), 1200);
    view->show();
    tab->setDrawing(drawing);
    auto style = std::dynamic_pointer_cast<PWStyle>(PWStyle::defaultTextStyle()->mutableCopy());
    auto text = add(PWTextShape::textShapeWithRect(QRectF(20, 20, 300, 50), QStringLiteral("Harbour"), style));
    layer->exchangeSelectionWithObjectsFromArray({text});
    settle();
    QStringList checked;
    for (const QString& clip : quillory::test::clippedTexts(view, visibleWidth(view), &checked))
        ADD_FAILURE() << clip.toStdString();
    EXPECT_GT(checked.size(), 5) << qPrintable(checked.join(u'|'));
}

INSTANTIATE_TEST_SUITE_P(DesktopFonts, PaneLayoutTest, ::testing::ValuesIn(kDesktopFonts),
                         [](const auto& info) {
                             return QString::fromLatin1(info.param.family).remove(u' ').toStdString() + "_"
                                    + std::to_string(int(info.param.size));
                         });

} // namespace
