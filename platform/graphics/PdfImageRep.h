#pragma once

#include "platform/graphics/ImageRep.h"

#include <QByteArray>
#include <QImage>

#include <memory>

namespace Poppler {
class Document;
}

namespace pf {

class Error;

// The first page of PDF data the program did not make itself, rasterised through poppler at
// the resolution each drawing needs. Keeps the original bytes for PDF output.
class PdfImageRep : public ImageRep {
public:
    ~PdfImageRep() override;

    // Null, with an error, when the data is not a readable PDF with a page.
    static std::shared_ptr<PdfImageRep> fromData(const QByteArray& data, Error* error = nullptr);

    const QByteArray& pdfData() const { return m_data; }
    bool isVector() const override { return true; }
    void draw(QPainter& painter, const QRectF& target) const override;
    QImage rasterize(QSize pixels) const override;

private:
    PdfImageRep(QSizeF size, QByteArray data, std::unique_ptr<Poppler::Document> document);

    QByteArray m_data;
    std::unique_ptr<Poppler::Document> m_document;
    // The last rasterisation, reused while the drawn size stays the same.
    mutable QImage m_cache;
};

} // namespace pf
