#include "app/RVCartavelDocument.h"

#include "app/RVTitleProxy.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"

#include <QCoreApplication>

void RVCartavelDocument::vectorizeImageSelection(const QVariant&)
{
    if (!m_vectorizingController)
        m_vectorizingController = std::make_shared<CVLVectorizingOptionsController>();
    m_vectorizingController->runModalVectorizingDialogForWindow(documentWindow(), this);
}

pf::Ref<PWImageShape> RVCartavelDocument::vectorizingImageShape() const
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    return layer ? std::dynamic_pointer_cast<PWImageShape>(layer->singleSelection()) : nullptr;
}

QImage RVCartavelDocument::vectorizingSourceImage()
{
    pf::Ref<PWImageShape> shape = vectorizingImageShape();
    return shape ? shape->resampledAndCroppedImage() : QImage();
}

QVariantMap RVCartavelDocument::vectorizingOptions()
{
    return PWImageShape::tracingParameters();
}

void RVCartavelDocument::vectorizeWithOptions(const QVariantMap& options)
{
    pf::Ref<PWImageShape> shape = vectorizingImageShape();
    if (!shape)
        return;
    PWImageShape::setTracingParameters(options);
    // The shape reads its action title from the sender, as from a menu item.
    pf::Ref<RVTitleProxy> sender = RVTitleProxy::titleProxyWithString(QCoreApplication::translate("RVCartavelDocument", "Vectorize"));
    shape->perform(QStringLiteral("vectorize:"), {pf::toVariant(sender)});
}
