// Images: bitmaps become image shapes; SVG pictures are imported in turn and become the
// objects they draw. Pictures come from data: URIs or, for a document read from a file, from
// files named by a relative path within that file's folder tree.
#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"

#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGElement.h"
#include "frameworks/penwork/svg/PWSVGErrors.h"
#include "frameworks/penwork/svg/PWSVGStyle.h"
#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/ImageReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QUrl>

namespace {

constexpr int kX = int(pwsvg::LengthAxis::Horizontal);
constexpr int kY = int(pwsvg::LengthAxis::Vertical);

// The bytes of a data: URI, or nothing when it is damaged.
std::optional<QByteArray> dataOfURI(const QString& href)
{
    const qsizetype comma = href.indexOf(u',');
    if (comma < 0)
        return std::nullopt;
    const QString header = href.mid(5, comma - 5);
    if (header.endsWith(u";base64", Qt::CaseInsensitive)) {
        QByteArray encoded = href.mid(comma + 1).toLatin1();
        encoded.replace(' ', "").replace('\n', "").replace('\r', "").replace('\t', "");
        auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        return *decoded;
    }
    return QByteArray::fromPercentEncoding(href.mid(comma + 1).toUtf8());
}

} // namespace

void PWSVGDrawingBuilder::setBaseFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    m_baseFolder = canonical;
    m_treeFolder = canonical;
}

QString PWSVGDrawingBuilder::linkedImagePath(const QString& href) const
{
    if (m_baseFolder.isEmpty() || m_treeFolder.isEmpty() || href.isEmpty())
        return {};
    // Relative references only: no scheme (http:, file:, ...), no absolute path, no fragment.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (scheme.match(href).hasMatch() || href.startsWith(u'/') || href.startsWith(u'\\') || href.startsWith(u'#'))
        return {};
    const QString relative = QUrl::fromPercentEncoding(href.section(u'?', 0, 0).section(u'#', 0, 0).toUtf8());
    if (relative.isEmpty() || relative.contains(QChar(0)))
        return {};
    // Resolved with links followed, so that neither ".." nor a link leads out of the tree.
    const QString path = QFileInfo(QDir(m_baseFolder).absoluteFilePath(relative)).canonicalFilePath();
    if (path.isEmpty() || !path.startsWith(m_treeFolder + u'/') || !QFileInfo(path).isFile())
        return {};
    return path;
}

bool PWSVGDrawingBuilder::appendFramed(Objects& objects, const QRectF& frame, const QTransform& ctm, Objects& out)
{
    if (objects.size() == 0)
        return true;
    auto framePath = pf::BezierPath::pathWithRect(frame)->transformed(ctm);
    QRectF drawn;
    for (qsizetype i = 0; i < objects.size(); ++i)
        drawn = drawn.isNull() ? objects.objects[i]->bounds() : drawn.united(objects.objects[i]->bounds());
    const bool rectilinear = std::abs(ctm.m12()) < 1e-12 && std::abs(ctm.m21()) < 1e-12;
    if (rectilinear && framePath->bounds().adjusted(-0.01, -0.01, 0.01, 0.01).contains(drawn)) {
        appendGrouped(objects, out);
        return true;
    }
    auto frameStyle = std::make_shared<PWStyle>();
    frameStyle->addRenderer(PWFill::fillWithColour(pf::Color(QColor(Qt::black))));
    return addObject(PWClippingGroup::clippingGroupWithObjects(
                         objects.objects, PWDrawableShape::drawableShapeWithPath(*framePath, frameStyle),
                         PWClippingGroup::ClipCoverage),
                     out);
}

bool PWSVGDrawingBuilder::buildImage(const PWSVGElement& element, const QTransform& ctm, double opacity, Objects& out)
{
    const QString href = element.href().trimmed();
    QByteArray data;
    QString folder;
    if (href.startsWith(u"data:", Qt::CaseInsensitive)) {
        auto decoded = dataOfURI(href);
        if (!decoded)
            return true;
        data = *decoded;
    } else {
        const QString path = linkedImagePath(href);
        if (path.isEmpty())
            return true;
        // Refused beyond the decode limit before a byte is read.
        data = pf::ImageReader::fileData(path);
        folder = QFileInfo(path).absolutePath();
    }
    if (data.isEmpty())
        return true;
    const QByteArray format = pf::ImageReader::formatOf(data);
    if (format.isEmpty())
        return true;
    const double fs = 16.0;
    const double x = length(element, QStringLiteral("x"), kX, fs);
    const double y = length(element, QStringLiteral("y"), kY, fs);
    auto side = [&](const char* key) {
        const QString text = element.attribute(QLatin1String(key)).trimmed();
        return text.isEmpty() || text == u"auto" ? -1.0
                                                 : length(element, QString::fromLatin1(key),
                                                          qstrcmp(key, "width") == 0 ? kX : kY, fs, -1.0);
    };
    double w = side("width");
    double h = side("height");
    const QString aspect = element.attribute(QStringLiteral("preserveAspectRatio"));
    if (format == "svg")
        return buildNestedDocument(data, folder, element, QRectF(x, y, w, h), ctm, opacity, out);

    const QImage image = pf::ImageReader::decodeBitmap(data, format, QString(), true);
    if (image.isNull())
        return true;
    // A missing size is the picture's own; a given one of zero hides it.
    if (w < 0.0 && h < 0.0) {
        w = image.width();
        h = image.height();
    } else if (w < 0.0) {
        w = h * image.width() / image.height();
    } else if (h < 0.0) {
        h = w * image.height() / image.width();
    }
    if (!(w > 0.0) || !(h > 0.0))
        return true;
    const QRectF viewport(x, y, w, h);
    const QRectF placed = pwsvg::placedRect(QSizeF(image.size()), viewport, aspect);
    auto shape = PWImageShape::imageShapeWithImageData(data);
    pwsvg::placeBox(*shape, placed, ctm);
    shape->setImageOpacity(opacity);
    if (viewport.contains(placed.adjusted(0.001, 0.001, -0.001, -0.001)))
        return addObject(shape, out);
    // Sliced: the picture is cut off at its viewport.
    Objects picture;
    picture.append(shape);
    return appendFramed(picture, viewport, ctm, out);
}

bool PWSVGDrawingBuilder::buildNestedDocument(const QByteArray& data, const QString& folder,
                                              const PWSVGElement& image, const QRectF& viewport,
                                              const QTransform& ctm, double opacity, Objects& out)
{
    if (m_imageDepth >= kMaxImageNesting)
        return true;
    std::unique_ptr<PWSVGElement> root = PWSVGDocumentReader::read(data, nullptr);
    if (!root)
        return true;
    PWSVGDrawingBuilder nested(std::move(root));
    // Within the same tree as this document; a picture inside a data: URI reads no files.
    if (!folder.isEmpty()) {
        nested.m_baseFolder = folder;
        nested.m_treeFolder = m_treeFolder;
    }
    nested.m_imageDepth = m_imageDepth + 1;
    const qint64 allowed = std::min<qint64>(kMaxVisits - m_visits, kFreeSteps + qint64(kMaxStepsPerElement)
                                                                                  * elementCount(nested.m_root));
    if (allowed <= 0 || nested.stepsToDraw() > allowed)
        return true;
    QSizeF size;
    QTransform rootTransform;
    bool sizeFromContent = false;
    if (!nested.rootGeometry(&size, &rootTransform, &sizeFromContent))
        return true;
    // A missing side is the picture's own, or keeps its proportions.
    QRectF frame = viewport;
    if (frame.width() < 0.0 && frame.height() < 0.0)
        frame.setSize(size);
    else if (frame.width() < 0.0)
        frame.setWidth(frame.height() * size.width() / size.height());
    else if (frame.height() < 0.0)
        frame.setHeight(frame.width() * size.height() / size.width());
    if (!(frame.width() > 0.0) || !(frame.height() > 0.0))
        return true;
    const QTransform placement = pwsvg::viewBoxTransform(QRectF(QPointF(), size), frame,
                                                         image.attribute(QStringLiteral("preserveAspectRatio")));
    const QTransform transform = rootTransform * placement * ctm;
    if (!pwsvg::isFinite(transform) || !(std::abs(transform.determinant()) > 1e-18))
        return true;
    Objects objects;
    nested.buildRootChildren(transform, opacity, objects);
    m_visits += nested.m_visits;
    m_objectCount += nested.m_objectCount;
    if (m_visits > kMaxVisits || m_objectCount > kMaxObjects)
        return fail(kPWSVGErrorTooComplex, QCoreApplication::translate("PWSVGImporter", "The document makes more than "
                                                                                        "%1 objects.")
                                               .arg(kMaxObjects));
    if (nested.m_failed)
        return true;
    return appendFramed(objects, frame, ctm, out);
}
