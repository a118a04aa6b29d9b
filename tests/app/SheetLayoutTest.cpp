// The document's sheets at their smallest size, in the fonts a Debian desktop uses: every
// label, button and field shows its whole text.
#include "DocumentTestSupport.h"

#include "app/CVLDrawingGridController.h"
#include "app/CVLVectorizingOptionsController.h"
#include "app/RVCartavelPrintAccessoryController.h"
#include "app/VNQLExportController.h"
#include "inspectors/CVLParallelDuplicateController.h"
#include "inspectors/RVLinearDuplicateController.h"
#include "inspectors/RVPolarDuplicateController.h"
#include "tests/support/ClippedText.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLayout>

namespace {

struct DesktopFont {
    const char* family;
    double size;
};

void PrintTo(const DesktopFont& font, std::ostream* os)
{
    *os << font.family << " " << font.size;
}

class SheetLayoutTest : public ::testing::TestWithParam<DesktopFont> {
protected:
    void SetUp() override
    {
        if (!QFontDatabase::families().contains(QString::fromLatin1(GetParam().family)))
            GTEST_SKIP() << GetParam().family << " is not installed (scripts/install-deps installs it)";
        m_oldFont = QApplication::font();
        QFont desktop(QString::fromLatin1(GetParam().family));
        desktop.setPointSizeF(GetParam().size);
        QApplication::setFont(desktop);
    }
    void TearDown() override
    {
        if (m_oldFont)
            QApplication::setFont(*m_oldFont);
    }

    // Shrinks the widget to the least its layout allows and lists the text it cuts off.
    static QStringList clippedAtLeastSize(QWidget* widget)
    {
        widget->show();
        // A sheet laid out by frames keeps the size it was made with.
        if (widget->layout())
            widget->layout()->activate();
        const QSize least = widget->minimumSizeHint().expandedTo(widget->minimumSize());
        if (least.width() > 0 && least.height() > 0)
            widget->resize(least);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        QStringList checked;
        QStringList clipped = quillory::test::clippedTexts(widget, widget->width(), &checked);
        if (checked.isEmpty())
            clipped.append(QStringLiteral("no text found to check"));
        widget->hide();
        return clipped;
    }

    std::optional<QFont> m_oldFont;
};

TEST_P(SheetLayoutTest, EverySheetShowsItsWholeTextAtItsSmallestSize)
{
    struct Sheet {
        const char* name;
        std::function<QWidget*()> widget;
    };
    // The controllers live for the whole test, as the program keeps them.
    auto grid = CVLDrawingGridController::drawingGridController();
    auto exporter = VNQLExportController::exportController();
    auto tracing = std::make_shared<CVLVectorizingOptionsController>();
    auto linear = std::make_shared<RVLinearDuplicateController>();
    auto polar = std::make_shared<RVPolarDuplicateController>();
    auto parallel = std::make_shared<CVLParallelDuplicateController>();
    const QList<Sheet> sheets = {
        {"Drawing Setup", [&] { return grid->window(); }},
        {"Export", [&] { return exporter->window(); }},
        {"Trace Image", [&] { return tracing->window(); }},
        {"Linear duplicate", [&] { return linear->window(); }},
        {"Polar duplicate", [&] { return polar->window(); }},
        {"Parallel duplicate", [&] { return parallel->window(); }},
        {"Print accessory", [&] { return RVCartavelPrintAccessoryController::sharedPrintAccessoryController().view(); }},
    };
    for (const Sheet& sheet : sheets) {
        QWidget* widget = sheet.widget();
        ASSERT_TRUE(widget) << sheet.name;
        for (const QString& clip : clippedAtLeastSize(widget))
            ADD_FAILURE() << sheet.name << ": " << clip.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(DesktopFonts, SheetLayoutTest,
                         ::testing::Values(DesktopFont{"DejaVu Sans", 10}, DesktopFont{"DejaVu Sans", 11},
                                           DesktopFont{"Liberation Sans", 11}),
                         [](const auto& info) {
                             return QString::fromLatin1(info.param.family).remove(u' ').toStdString() + "_"
                                    + std::to_string(int(info.param.size));
                         });

} // namespace
