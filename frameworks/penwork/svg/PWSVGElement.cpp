#include "frameworks/penwork/svg/PWSVGElement.h"

#include "frameworks/penwork/svg/PWSVGErrors.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

namespace {

const QString kSVGNamespace = QStringLiteral("http://www.w3.org/2000/svg");
const QString kXLinkNamespace = QStringLiteral("http://www.w3.org/1999/xlink");

pf::Error svgError(int code, const QString& reason)
{
    return pf::Error::make(kPWSVGErrorDomain, code,
                           QCoreApplication::translate("PWSVGImporter", "The SVG document could not be read."),
                           reason);
}

// Elements whose character data matters; elsewhere text is layout white space.
bool keepsText(const QString& name)
{
    return name == u"text" || name == u"tspan" || name == u"style" || name == u"textPath";
}

} // namespace

QString PWSVGElement::href() const
{
    const auto it = attributes.constFind(QStringLiteral("href"));
    return it != attributes.constEnd() ? *it : attributes.value(QStringLiteral("xlink:href"));
}

std::unique_ptr<PWSVGElement> PWSVGDocumentReader::read(const QByteArray& data, pf::Error* error)
{
    if (data.size() > kMaxDataBytes) {
        pf::fail(error, svgError(kPWSVGErrorTooComplex,
                                 QCoreApplication::translate("PWSVGImporter", "The file is larger than %1 MB.")
                                     .arg(kMaxDataBytes / (1024 * 1024))));
        return nullptr;
    }
    QXmlStreamReader reader(data);
    // Entities declared in the document expand, but only so far: a few nested declarations
    // cannot blow up into gigabytes. Entities outside the document are never fetched.
    reader.setEntityExpansionLimit(64 * 1024);

    std::unique_ptr<PWSVGElement> root;
    PWSVGElement* current = nullptr;
    int depth = 0;
    int nodes = 0;
    auto tooComplex = [&](const QString& reason) {
        pf::fail(error, svgError(kPWSVGErrorTooComplex, reason));
        return nullptr;
    };

    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > kMaxDepth)
                return tooComplex(QCoreApplication::translate("PWSVGImporter", "Elements are nested more than %1 deep.")
                                      .arg(kMaxDepth));
            if (++nodes > kMaxNodes)
                return tooComplex(QCoreApplication::translate("PWSVGImporter", "The document holds more than %1 elements.")
                                      .arg(kMaxNodes));
            auto element = std::make_unique<PWSVGElement>();
            const QString ns = reader.namespaceUri().toString();
            element->name = (ns.isEmpty() || ns == kSVGNamespace) ? reader.name().toString()
                                                                   : reader.qualifiedName().toString();
            if (element->name.isEmpty())
                element->name = QStringLiteral("?");
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                const QString attributeNs = attribute.namespaceUri().toString();
                QString key;
                if (attributeNs.isEmpty() || attributeNs == kSVGNamespace)
                    key = attribute.name().toString();
                else if (attributeNs == kXLinkNamespace)
                    key = QStringLiteral("xlink:") + attribute.name().toString();
                else
                    key = attribute.qualifiedName().toString();
                element->attributes.insert(key, attribute.value().toString());
            }
            element->classes = element->attribute(QStringLiteral("class")).split(u' ', Qt::SkipEmptyParts);
            PWSVGElement* raw = element.get();
            if (!root) {
                if (element->name != u"svg") {
                    pf::fail(error, svgError(kPWSVGErrorNotSVG,
                                             QCoreApplication::translate("PWSVGImporter", "The document is not an SVG "
                                                                                          "image.")));
                    return nullptr;
                }
                root = std::move(element);
            } else {
                raw->parent = current;
                current->children.push_back(std::move(element));
            }
            current = raw;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (current)
                current = current->parent;
        } else if (token == QXmlStreamReader::Characters && current && keepsText(current->name)) {
            if (++nodes > kMaxNodes)
                return tooComplex(QCoreApplication::translate("PWSVGImporter", "The document holds more than %1 elements.")
                                      .arg(kMaxNodes));
            auto text = std::make_unique<PWSVGElement>();
            text->text = reader.text().toString();
            text->parent = current;
            current->children.push_back(std::move(text));
        }
    }
    if (reader.hasError()) {
        pf::fail(error, svgError(kPWSVGErrorMalformed,
                                 QCoreApplication::translate("PWSVGImporter", "The XML is damaged at line %1, column %2: "
                                                                              "%3.")
                                     .arg(reader.lineNumber())
                                     .arg(reader.columnNumber())
                                     .arg(reader.errorString())));
        return nullptr;
    }
    if (!root) {
        pf::fail(error, svgError(kPWSVGErrorNotSVG,
                                 QCoreApplication::translate("PWSVGImporter", "The document is not an SVG image.")));
        return nullptr;
    }
    return root;
}
