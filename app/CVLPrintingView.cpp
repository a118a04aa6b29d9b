#include "app/CVLPrintingView.h"

#include "app/RVCartavelDocument.h"
#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS(CVLPrintingView, PWDrawingView) {}

CVLPrintingView::CVLPrintingView(const QRectF& frame, QWidget* parent) : PWDrawingView(frame, parent) {}

RVCartavelDocument* CVLPrintingView::document() const
{
    return m_documentLiveness.expired() ? nullptr : mDocumentRef;
}

void CVLPrintingView::setDocument(RVCartavelDocument* document)
{
    mDocumentRef = document;
    m_documentLiveness = document ? document->livenessToken() : std::weak_ptr<void>();
}
