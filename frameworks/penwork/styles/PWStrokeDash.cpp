#include "frameworks/penwork/styles/PWStrokeDash.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/BezierPath.h"

#include <QFileInfo>
#include <QPainter>

#include <cmath>
#include <mutex>

PF_DEFINE_CLASS(PWStrokeDash, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property(
        "pattern",
        std::function<QVariant(const PWStrokeDash&)>([](const PWStrokeDash& dash) {
            QVariantList list;
            for (double length : dash.pattern())
                list.append(length);
            return QVariant(list);
        }),
        std::function<void(PWStrokeDash&, const QVariant&)>([](PWStrokeDash& dash, const QVariant& value) {
            QList<double> lengths;
            for (const QVariant& item : value.toList()) {
                if (!pf::isNumber(item))
                    throw pf::InvalidArgumentException(
                        QStringLiteral("-[PWStrokeDash setPattern:]: %1 is not a length").arg(pf::describe(item)));
                lengths.append(item.toDouble());
            }
            if (!dash.setDashPattern(lengths))
                throw pf::InvalidArgumentException(QStringLiteral("-[PWStrokeDash setPattern:]: invalid pattern"));
        }));
    b.property("count", &PWStrokeDash::count);
    b.property("phase", &PWStrokeDash::phase, &PWStrokeDash::setPhase);
    b.property("scalesToLineWidth", &PWStrokeDash::scalesToLineWidth, &PWStrokeDash::setScalesToLineWidth);
    b.property("length", &PWStrokeDash::length);
    b.property("isValid", &PWStrokeDash::isValid);
}

namespace {

const QString kPatternKey = QStringLiteral("pw_strokedash_pattern");
const QString kPhaseKey = QStringLiteral("pw_strokedash_phase");
const QString kScalesKey = QStringLiteral("pw_strokedash_scalesToLineWidth");

// Keys of an entry of the saved dashes file.
const QString kFilePatternKey = QStringLiteral("pattern");
const QString kFilePhaseKey = QStringLiteral("phase");
const QString kFileScalesKey = QStringLiteral("scalesToLineWidth");
const QString kFileNameKey = QStringLiteral("name");

struct RegisteredDash {
    pf::Ref<PWStrokeDash> dash;
    QString name;
};

struct Registry {
    std::mutex mutex;
    std::vector<RegisteredDash> dashes;
};

Registry& registry()
{
    static Registry registry;
    return registry;
}

QList<double> numbersOf(const QVariant& value, bool* ok)
{
    QList<double> numbers;
    *ok = value.typeId() == QMetaType::QVariantList;
    if (!*ok)
        return numbers;
    const QVariantList list = value.toList();
    if (list.size() > PWStrokeDash::kMaxCount * 4) {
        *ok = false;
        return numbers;
    }
    for (const QVariant& item : list) {
        if (!pf::isNumber(item)) {
            *ok = false;
            return {};
        }
        numbers.append(item.toDouble());
    }
    return numbers;
}

} // namespace

PWStrokeDash::PWStrokeDash() : m_pattern{5.0, 5.0} {}

pf::Ref<PWStrokeDash> PWStrokeDash::dashWithPattern(const QList<double>& pattern, int count)
{
    auto dash = std::make_shared<PWStrokeDash>();
    if (!dash->setDashPattern(pattern, count) || !dash->isValid())
        return nullptr;
    return dash;
}

pf::Ref<PWStrokeDash> PWStrokeDash::dashWithPattern(const double* pattern, int count)
{
    if (!pattern || count < 0)
        return nullptr;
    return dashWithPattern(QList<double>(pattern, pattern + std::min(count, kMaxCount)), std::min(count, kMaxCount));
}

pf::Ref<PWStrokeDash> PWStrokeDash::defaultDash()
{
    return std::make_shared<PWStrokeDash>();
}

int PWStrokeDash::getDashPattern(double* buffer) const
{
    if (buffer) {
        for (int i = 0; i < m_pattern.size(); ++i)
            buffer[i] = m_pattern.at(i);
    }
    return count();
}

bool PWStrokeDash::acceptablePattern(const QList<double>& pattern)
{
    for (double length : pattern) {
        if (!std::isfinite(length) || length < 0.0)
            return false;
    }
    return true;
}

bool PWStrokeDash::setDashPattern(const double* pattern, int count)
{
    if (count < 0 || (count > 0 && !pattern))
        return false;
    const int kept = std::min(count, kMaxCount);
    return setDashPattern(QList<double>(pattern, pattern + kept));
}

bool PWStrokeDash::setDashPattern(const QList<double>& pattern)
{
    return setDashPattern(pattern, int(pattern.size()));
}

bool PWStrokeDash::setDashPattern(const QList<double>& pattern, int count)
{
    if (count < 0 || count > pattern.size())
        return false;
    QList<double> kept = pattern.first(std::min(count, kMaxCount));
    // A length of -0 (a file may say so) is kept as 0, so equal patterns are stored alike.
    for (double& length : kept)
        length += 0.0;
    if (!acceptablePattern(kept))
        return false;
    if (kept != m_pattern)
        setObservedValue(m_pattern, kept, QStringLiteral("pattern"));
    return true;
}

double PWStrokeDash::lengthAtIndex(int index) const
{
    return index >= 0 && index < m_pattern.size() ? m_pattern.at(index) : 0.0;
}

double PWStrokeDash::length() const
{
    double total = 0.0;
    for (double length : m_pattern)
        total += length;
    return total;
}

void PWStrokeDash::setPhase(double phase)
{
    if (std::isfinite(phase) && phase != m_phase)
        setObservedValue(m_phase, phase, QStringLiteral("phase"));
}

void PWStrokeDash::setScalesToLineWidth(bool scales)
{
    if (scales != m_scalesToLineWidth)
        setObservedValue(m_scalesToLineWidth, scales, QStringLiteral("scalesToLineWidth"));
}

bool PWStrokeDash::isValid() const
{
    return !m_pattern.isEmpty() && length() > 0.0;
}

bool PWStrokeDash::isEqualToDash(const PWStrokeDash* other) const
{
    return other && other->m_pattern == m_pattern && other->m_phase == m_phase &&
           other->m_scalesToLineWidth == m_scalesToLineWidth;
}

void PWStrokeDash::applyToPath(pf::BezierPath& path) const
{
    if (!isValid()) {
        path.setLineDash({}, 0.0);
        return;
    }
    // A hairline (width 0) draws one pixel wide; the pattern scales as for width 1.
    const double unit = m_scalesToLineWidth && path.lineWidth() > 0.0 ? path.lineWidth() : 1.0;
    QList<double> lengths;
    for (double length : m_pattern)
        lengths.append(length * unit);
    path.setLineDash(lengths, m_phase * unit);
}

QImage PWStrokeDash::dashSwatchImageWithSize(const QSizeF& size, double strokeWidth) const
{
    // Swatches are menu images: a size beyond any screen is refused rather than allocated.
    constexpr double kMaxSide = 4096.0;
    if (!(size.width() >= 1.0 && size.height() >= 1.0 && size.width() <= kMaxSide && size.height() <= kMaxSide))
        return QImage();
    QImage image(int(std::ceil(size.width())), int(std::ceil(size.height())), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const double width = std::isfinite(strokeWidth) && strokeWidth > 0.0 ? strokeWidth : 1.0;
    pf::BezierPath line;
    const double y = size.height() / 2.0;
    line.moveTo(QPointF(0.0, y));
    line.lineTo(QPointF(size.width(), y));
    line.setLineWidth(width);
    applyToPath(line);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    line.stroke(painter, QBrush(Qt::black));
    return image;
}

QList<pf::Ref<PWStrokeDash>> PWStrokeDash::registeredDashes()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    QList<pf::Ref<PWStrokeDash>> dashes;
    for (const RegisteredDash& entry : r.dashes)
        dashes.append(entry.dash);
    return dashes;
}

bool PWStrokeDash::registerDash(const pf::Ref<PWStrokeDash>& dash, const QString& name)
{
    if (!dash || !dash->isValid())
        return false;
    auto copied = std::static_pointer_cast<PWStrokeDash>(dash->copy());
    copied->m_beingEdited = false;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.dashes.push_back({std::move(copied), name});
    return true;
}

void PWStrokeDash::removeAllRegisteredDashes()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.dashes.clear();
}

// A name as the dash file can store it again: control characters (a damaged or hand-made file
// may hold them) would make every later save of the dashes fail.
static QString writableName(QString name)
{
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r'; });
    return name;
}

bool PWStrokeDash::restoreRegisteredDashesFromFile(const QString& path, pf::Error* error)
{
    if (!QFileInfo::exists(path))
        return true;
    pf::Error readError;
    const QVariant plist = pf::PropertyList::read(path, nullptr, &readError);
    if (!readError.isNull())
        return pf::fail(error, readError);
    if (plist.typeId() != QMetaType::QVariantList)
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorFileReadCorrupt,
                                               QStringLiteral("The saved dashes file \"%1\" is damaged.").arg(path),
                                               QStringLiteral("It does not hold a list of dashes.")));
    std::vector<RegisteredDash> restored;
    for (const QVariant& item : plist.toList()) {
        if (item.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap entry = item.toMap();
        bool ok = false;
        const QList<double> pattern = numbersOf(entry.value(kFilePatternKey), &ok);
        if (!ok)
            continue;
        auto dash = std::make_shared<PWStrokeDash>();
        if (!dash->setDashPattern(pattern) || !dash->isValid())
            continue;
        const QVariant phase = entry.value(kFilePhaseKey);
        if (pf::isNumber(phase))
            dash->setPhase(phase.toDouble());
        const QVariant scales = entry.value(kFileScalesKey);
        if (scales.isValid())
            dash->setScalesToLineWidth(pf::variantToBool(scales));
        const QVariant name = entry.value(kFileNameKey);
        restored.push_back({std::move(dash), name.typeId() == QMetaType::QString ? writableName(name.toString()) : QString()});
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.dashes = std::move(restored);
    return true;
}

bool PWStrokeDash::writeRegisteredDashesToFile(const QString& path, bool, pf::Error* error)
{
    QVariantList list;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        for (const RegisteredDash& entry : r.dashes) {
            QVariantList pattern;
            for (double length : entry.dash->pattern())
                pattern.append(length);
            QVariantMap item{{kFilePatternKey, pattern},
                             {kFilePhaseKey, entry.dash->phase()},
                             {kFileScalesKey, entry.dash->scalesToLineWidth()}};
            if (!entry.name.isEmpty())
                item.insert(kFileNameKey, entry.name);
            list.append(item);
        }
    }
    return pf::PropertyList::write(list, path, pf::PropertyListFormat::XML, error);
}

pf::Ref<pf::Object> PWStrokeDash::copy() const
{
    return std::make_shared<PWStrokeDash>(*this);
}

bool PWStrokeDash::isEqual(const pf::Reflective* other) const
{
    return isEqualToDash(dynamic_cast<const PWStrokeDash*>(other));
}

size_t PWStrokeDash::hash() const
{
    size_t seed = qHash(m_phase) ^ (m_scalesToLineWidth ? 0x9e3779b9u : 0u);
    for (double length : m_pattern)
        seed = seed * 31 + qHash(length);
    return seed;
}

QString PWStrokeDash::description() const
{
    QStringList lengths;
    for (double length : m_pattern)
        lengths.append(QString::number(length));
    return QStringLiteral("<PWStrokeDash [%1] phase %2%3>")
        .arg(lengths.join(QLatin1String(", ")))
        .arg(m_phase)
        .arg(m_scalesToLineWidth ? QStringLiteral(" scaled") : QString());
}

void PWStrokeDash::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    QVariantList pattern;
    for (double length : m_pattern)
        pattern.append(length);
    coder.encodePropertyListValue(pattern, kPatternKey);
    coder.encodeDouble(m_phase, kPhaseKey);
    coder.encodeBool(m_scalesToLineWidth, kScalesKey);
}

void PWStrokeDash::initWithCoder(pf::KeyedUnarchiver& coder)
{
    bool ok = false;
    const QList<double> pattern = numbersOf(coder.decodePropertyListValue(kPatternKey), &ok);
    // A damaged pattern keeps the default rather than making a dash that cannot draw.
    if (ok && acceptablePattern(pattern))
        m_pattern = pattern.first(std::min<qsizetype>(pattern.size(), kMaxCount));
    const double phase = coder.decodeDouble(kPhaseKey);
    m_phase = std::isfinite(phase) ? phase : 0.0;
    if (coder.containsValueForKey(kScalesKey))
        m_scalesToLineWidth = coder.decodeBool(kScalesKey);
}
