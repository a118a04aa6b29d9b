// Fitting and covering a box with an image's proportions.
#include <gtest/gtest.h>

#include "platform/graphics/ImageScaling.h"

#include <limits>

namespace {

TEST(ImageScaling, FitAndCover)
{
    struct Case {
        const char* name;
        QSizeF size;
        QSizeF box;
        QSizeF fit;
        QSizeF cover;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"wide into square", {400, 200}, {100, 100}, {100, 50}, {200, 100}},
        {"tall into square", {200, 400}, {100, 100}, {50, 100}, {100, 200}},
        {"small grows", {4, 3}, {400, 400}, {400, 300}, {533.3333333333, 400}},
        {"same proportions", {64, 32}, {128, 64}, {128, 64}, {128, 64}},
        {"wide box", {100, 100}, {300, 60}, {60, 60}, {300, 300}},
        {"empty image", {0, 100}, {50, 50}, {0, 0}, {0, 0}},
        {"empty box", {100, 100}, {50, 0}, {0, 0}, {0, 0}},
        {"negative", {-10, 100}, {50, 50}, {0, 0}, {0, 0}},
        {"not a number", {nan, 100}, {50, 50}, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QSizeF fit = pf::ImageScaling::fitSize(c.size, c.box);
        const QSizeF cover = pf::ImageScaling::coverSize(c.size, c.box);
        EXPECT_NEAR(fit.width(), c.fit.width(), 1e-6);
        EXPECT_NEAR(fit.height(), c.fit.height(), 1e-6);
        EXPECT_NEAR(cover.width(), c.cover.width(), 1e-6);
        EXPECT_NEAR(cover.height(), c.cover.height(), 1e-6);
    }
}

} // namespace
