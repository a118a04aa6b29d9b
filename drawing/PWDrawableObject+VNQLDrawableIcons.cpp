#include "drawing/PWDrawableObject+VNQLDrawableIcons.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/Class.h"
#include "platform/graphics/Image.h"

#include <mutex>

void PWDrawableObjectVNQLDrawableIcons::install()
{
    PWDrawableObject::staticClass().addClassMethod(
        QStringLiteral("icon"), [](const pf::Class&, const QVariantList&) { return QVariant(classIcon()); });
}

QImage PWDrawableObjectVNQLDrawableIcons::classIcon()
{
    // Views on other threads may ask for it too: made once, under the lock.
    static std::once_flag made;
    static QImage folder;
    std::call_once(made, [] {
        if (pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("NSFolder")))
            folder = image->bitmap();
    });
    return folder;
}
