#pragma once

#include "frameworks/penwork/renderers/PWRendererGeometry.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cmath>

// What the zig-zag stroke and the zig-zag fill share: the zig-zag's settings and the path made
// from the object's, on top of a stroke or a fill (`Base`).
//
// Key-value coding (each observable, with undo), besides the base's: "amplitude" (how far the
// peaks stand off the path), "wavelength" (the length of one whole wave), "spread" (the length
// over which each peak is rounded; 0 keeps sharp corners), "closed" (closed sub-paths stay
// closed with a whole number of waves). Subclasses register them with addZigZagProperties.
template <class Base>
class PWZigZagRenderer : public Base {
public:
    static inline const QString kAmplitudeKey = QStringLiteral("amplitude");
    static inline const QString kWavelengthKey = QStringLiteral("wavelength");
    static inline const QString kSpreadKey = QStringLiteral("spread");
    static inline const QString kClosedKey = QStringLiteral("closed");

    // Accepted ranges; values beyond them are clamped, NaN is refused. The least wavelength
    // keeps the number of peaks bounded.
    static constexpr double kMaxAmplitude = 1000.0;
    static constexpr double kMinWavelength = 0.5;
    static constexpr double kMaxWavelength = 10000.0;
    static constexpr double kMaxSpread = 10000.0;

    double amplitude() const { return m_amplitude; }
    void setAmplitude(double amplitude)
    {
        if (std::isnan(amplitude))
            return refused("amplitude");
        this->changeProperty(m_amplitude, std::clamp(amplitude, 0.0, kMaxAmplitude), kAmplitudeKey);
    }
    double wavelength() const { return m_wavelength; }
    void setWavelength(double wavelength)
    {
        if (std::isnan(wavelength))
            return refused("wavelength");
        this->changeProperty(m_wavelength, std::clamp(wavelength, kMinWavelength, kMaxWavelength), kWavelengthKey);
    }
    double spread() const { return m_spread; }
    void setSpread(double spread)
    {
        if (std::isnan(spread))
            return refused("spread");
        this->changeProperty(m_spread, std::clamp(spread, 0.0, kMaxSpread), kSpreadKey);
    }
    bool closed() const { return m_closed; }
    void setClosed(bool closed) { this->changeProperty(m_closed, closed, kClosedKey); }

    // The zig-zag of the object's path; the base's bounds cover the peaks, since they come
    // from here.
    pf::Ref<pf::BezierPath> pathForObject(const PWRenderable& object) const override
    {
        const pf::Ref<pf::BezierPath> path = Base::pathForObject(object);
        if (!path)
            return pf::BezierPath::path();
        return pw::renderers::zigZagPath(*path, m_amplitude, m_wavelength, m_spread, m_closed);
    }

    QStringList observableKeyPaths() const override
    {
        return Base::observableKeyPaths() << kAmplitudeKey << kWavelengthKey << kSpreadKey << kClosedKey;
    }

    bool isEqual(const pf::Reflective* other) const override
    {
        if (!Base::isEqual(other))
            return false;
        const auto* zigZag = static_cast<const PWZigZagRenderer*>(other);
        return zigZag->m_amplitude == m_amplitude && zigZag->m_wavelength == m_wavelength &&
               zigZag->m_spread == m_spread && zigZag->m_closed == m_closed;
    }

    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        Base::encodeWithCoder(coder);
        coder.encodeDouble(m_amplitude, archiveKey("amplitude"));
        coder.encodeDouble(m_wavelength, archiveKey("wavelength"));
        coder.encodeDouble(m_spread, archiveKey("spread"));
        coder.encodeBool(m_closed, archiveKey("closed"));
    }

    void initWithCoder(pf::KeyedUnarchiver& coder) override
    {
        using pw::renderers::clampedValue;
        Base::initWithCoder(coder);
        m_amplitude = clampedValue(coder.decodeDouble(archiveKey("amplitude")), 0.0, kMaxAmplitude, 4.0);
        // A missing wavelength reads as 0 and is clamped up to the least one.
        m_wavelength = clampedValue(coder.decodeDouble(archiveKey("wavelength")), kMinWavelength, kMaxWavelength, 10.0);
        m_spread = clampedValue(coder.decodeDouble(archiveKey("spread")), 0.0, kMaxSpread, 0.0);
        const QString closedKey = archiveKey("closed");
        m_closed = coder.containsValueForKey(closedKey) ? coder.decodeBool(closedKey) : true;
    }

    // Registers the zig-zag properties, with their validators, on the class `T` being defined.
    template <class T>
    static void addZigZagProperties(pf::ClassBuilder<T>& b)
    {
        using pw::renderers::validateNumber;
        b.property(kAmplitudeKey, &T::amplitude, &T::setAmplitude);
        b.validator(kAmplitudeKey, [](T&, QVariant* value, pf::Error* error) {
            return validateNumber(value, 0.0, kMaxAmplitude, QStringLiteral("The amplitude"), error);
        });
        b.property(kWavelengthKey, &T::wavelength, &T::setWavelength);
        b.validator(kWavelengthKey, [](T&, QVariant* value, pf::Error* error) {
            return validateNumber(value, kMinWavelength, kMaxWavelength, QStringLiteral("The wavelength"), error);
        });
        b.property(kSpreadKey, &T::spread, &T::setSpread);
        b.validator(kSpreadKey, [](T&, QVariant* value, pf::Error* error) {
            return validateNumber(value, 0.0, kMaxSpread, QStringLiteral("The spread"), error);
        });
        b.property(kClosedKey, &T::closed, &T::setClosed);
    }

protected:
    // `archivePrefix` starts the archive keys ("pw_zigZagFill" gives "pw_zigZagFill_amplitude").
    explicit PWZigZagRenderer(const char* archivePrefix) : m_archivePrefix(archivePrefix) {}
    PWZigZagRenderer(const PWZigZagRenderer& other) = default;

    void registerActionNames() const override
    {
        Base::registerActionNames();
        this->setActionName(QStringLiteral("#kind# Amplitude"), kAmplitudeKey);
        this->setActionName(QStringLiteral("#kind# Wavelength"), kWavelengthKey);
        this->setActionName(QStringLiteral("#kind# Spread"), kSpreadKey);
        this->setActionName(QStringLiteral("#kind# Closed"), kClosedKey);
    }

private:
    QString archiveKey(const char* name) const
    {
        return QStringLiteral("%1_%2").arg(QLatin1String(m_archivePrefix), QLatin1String(name));
    }
    void refused(const char* what) const
    {
        PF_LOG("%s: %s NaN refused", qPrintable(this->className()), what);
    }

    const char* m_archivePrefix;
    double m_amplitude = 4.0;
    double m_wavelength = 10.0;
    double m_spread = 0.0;
    bool m_closed = true;
};
