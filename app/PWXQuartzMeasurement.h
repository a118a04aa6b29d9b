#pragma once

#include "app/PWXMeasurement.h"

// A measurement in the points system: lengths in points, 72 to the inch.
class PWXQuartzMeasurement : public PWXMeasurement {
    PF_CLASS(PWXQuartzMeasurement)
public:
    int measurementSystem() const override { return kPointsSystem; }
};
