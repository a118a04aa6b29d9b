#pragma once

#include "frameworks/penwork/styles/PWStroke.h"

// A stroke drawn along a zig-zag of the object's path.
//
// Key-value coding (each observable, with undo), besides the stroke's: "amplitude" (how far the
// peaks stand off the path), "wavelength" (the length of one whole wave), "spread" (the length
// over which each peak is rounded; 0 keeps sharp corners), "closed" (closed sub-paths stay
// closed with a whole number of waves).
class PWZigZagStroke : public PWStroke {
    PF_CLASS(PWZigZagStroke)
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

    // Amplitude 4, wavelength 10, no spread, closed.
    PWZigZagStroke();
    PWZigZagStroke(const PWZigZagStroke& other) = default;

    double amplitude() const { return m_amplitude; }
    void setAmplitude(double amplitude);
    double wavelength() const { return m_wavelength; }
    void setWavelength(double wavelength);
    double spread() const { return m_spread; }
    void setSpread(double spread);
    bool closed() const { return m_closed; }
    void setClosed(bool closed);

    // The zig-zag of the object's path.
    pf::Ref<pf::BezierPath> pathForObject(const PWRenderable& object) const override;
    // The stroke's bounds cover the peaks, since they come from pathForObject.
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    double m_amplitude = 4.0;
    double m_wavelength = 10.0;
    double m_spread = 0.0;
    bool m_closed = true;
};
