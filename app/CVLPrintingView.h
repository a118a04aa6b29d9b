#pragma once

#include "frameworks/penwork/view/PWDrawingView.h"

class RVCartavelDocument;

// The drawing view a document prints through: it draws exactly as a drawing view does and
// knows the document it prints for (not retained).
class CVLPrintingView : public PWDrawingView {
    Q_OBJECT
    PF_CLASS(CVLPrintingView)
public:
    explicit CVLPrintingView(const QRectF& frame, QWidget* parent = nullptr);

    RVCartavelDocument* document() const;
    void setDocument(RVCartavelDocument* document);

private:
    RVCartavelDocument* mDocumentRef = nullptr;
    std::weak_ptr<void> m_documentLiveness;
};
