#pragma once

#include "frameworks/penwork/styles/PWRastGroup.h"

#include <QStringList>

// Draws its members through an image filter named by "filterName": their rendering is made in
// an image of its own, filtered there with the filter's standard settings and put in place.
// With no filter name, or one this build does not know, the members are drawn unchanged; an
// unknown name is kept, so that a document keeps what it was made with.
//
// Key-value coding (observable, with undo), besides the group's: "filterName".
class PWCIFilterRastGroup : public PWRastGroup {
    PF_CLASS(PWCIFilterRastGroup)
public:
    static inline const QString kFilterNameKey = QStringLiteral("filterName");

    // Names longer than this are refused (and dropped from archives).
    static constexpr int kMaxFilterNameLength = 256;

    // No filter.
    PWCIFilterRastGroup();
    PWCIFilterRastGroup(const PWCIFilterRastGroup& other) = default;

    QString filterName() const { return m_filterName; }
    void setFilterName(const QString& name);

    // The filters drawn: "CIGaussianBlur" (radius 10), "CIBoxBlur" (10), "CIDiscBlur" (8),
    // "CIMotionBlur" (20, along x), "CIColorInvert", "CIPhotoEffectMono".
    static QStringList knownFilterNames();
    bool hasKnownFilter() const;

    void render(const PWRenderable& object) override;
    // The members' bounds grown by the filter's reach.
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    QString m_filterName;
};
