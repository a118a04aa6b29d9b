#include "inspectors/PWLayer+VNQLLayerIcons.h"

#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/graphics/Image.h"

#include <QHash>
#include <QMutex>

QImage PWLayerVNQLLayerIcons::iconNamed(const QString& name)
{
    static QMutex lock;
    static QHash<QString, QImage> icons;
    QMutexLocker locker(&lock);
    auto found = icons.constFind(name);
    if (found != icons.constEnd())
        return *found;
    QImage icon;
    if (pf::Ref<pf::Image> image = pf::Image::imageNamed(name))
        icon = image->bitmap();
    icons.insert(name, icon);
    return icon;
}

QImage PWLayerVNQLLayerIcons::iconForLayer(const PWLayer& layer)
{
    if (const auto* slices = dynamic_cast<const VNQLSlicesLayer*>(&layer))
        return slices->icon();
    if (dynamic_cast<const PWGuideLayer*>(&layer))
        return iconNamed(QStringLiteral("VN_Layer_Guides-Template"));
    if (dynamic_cast<const PWGridLayer*>(&layer))
        return iconNamed(QStringLiteral("VN_Layer_GraphPaper-Template"));
    if (dynamic_cast<const PWObjectDrawingLayer*>(&layer))
        return iconNamed(QStringLiteral("VN_Layer_Drawing-Template"));
    if (dynamic_cast<const PWLayerGroup*>(&layer))
        return iconNamed(QStringLiteral("VN_Layer_Group-Template"));
    return iconNamed(QStringLiteral("VN_Generic_Layer_Icon"));
}
