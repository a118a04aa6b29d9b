#include "platform/ui/BundleImageSource.h"

#include "platform/graphics/Image.h"
#include "platform/ui/Bundle.h"

#include <memory>

namespace pf {

void BundleImageSource::install(const QString& resourcePath)
{
    auto bundle = resourcePath.isEmpty() ? std::shared_ptr<Bundle>() : std::make_shared<Bundle>(resourcePath);
    Image::setNamedImageSource([bundle](const QString& name) -> Ref<Image> {
        const Bundle& source = bundle ? *bundle : Bundle::main();
        // Vector artwork first: it stays sharp at every size.
        for (const char* type : {"svg", "pdf", "png", "tiff", "tif", "jpg", "jpeg"}) {
            const QString path = source.pathForResource(name, QString::fromLatin1(type));
            if (path.isEmpty())
                continue;
            if (Ref<Image> image = Image::fromFile(path)) {
                // Artwork named "...Template" is drawn in the colour of its state.
                image->setTemplate(name.endsWith(QLatin1String("Template")));
                return image;
            }
        }
        return nullptr;
    });
}

namespace {

[[maybe_unused]] const bool installed = [] {
    BundleImageSource::install();
    return true;
}();

} // namespace

} // namespace pf
