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

// Element and attribute names repeat throughout a document: each is kept once and shared by
// every element that uses it, rather than copied for each. The table is small and bounded, so
// that a document of made-up names costs no more than it would without it.
class NameTable {
public:
    QString intern(QStringView name)
    {
        for (const QString& known : m_names)
            if (known == name)
                return known;
        QString copy = name.toString();
        if (m_names.size() < kCapacity)
            m_names.append(copy);
        return copy;
    }

private:
    static constexpr qsizetype kCapacity = 128;
    QList<QString> m_names;
};

} // namespace

QString PWSVGElement::href() const
{
    const QString* own = attributes.find(QStringView(u"href"));
    return own ? *own : attributes.value(QStringView(u"xlink:href"));
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
    NameTable names;
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
            const QStringView ns = reader.namespaceUri();
            element->name = (ns.isEmpty() || ns == kSVGNamespace) ? names.intern(reader.name())
                                                                  : reader.qualifiedName().toString();
            if (element->name.isEmpty())
                element->name = QStringLiteral("?");
            const QXmlStreamAttributes attributes = reader.attributes();
            element->attributes.reserve(attributes.size());
            for (const QXmlStreamAttribute& attribute : attributes) {
                const QStringView attributeNs = attribute.namespaceUri();
                QString key;
                if (attributeNs.isEmpty() || attributeNs == kSVGNamespace)
                    key = names.intern(attribute.name());
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
