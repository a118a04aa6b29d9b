// Named images found among a bundle's resources.
#include "platform/graphics/Image.h"
#include "platform/ui/BundleImageSource.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(BundleImageSourceTest, FindsResourcesByNameWhateverTheExtensionAsked)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QFile svg(root.filePath(QStringLiteral("VN_TestArrow-Template.svg")));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="12"><rect width="24" height="12"/></svg>)");
    svg.close();

    pf::BundleImageSource::install(root.path());
    pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("VN_TestArrow-Template.pdf"));
    pf::BundleImageSource::install();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSizeF(24, 12));
    EXPECT_TRUE(image->isTemplate());
    EXPECT_TRUE(image->representations().first()->isVector());
}

} // namespace
