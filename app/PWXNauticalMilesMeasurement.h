#pragma once

#include "app/PWXMeasurement.h"

// A measurement in the nautical system: lengths in nautical miles.
class PWXNauticalMilesMeasurement : public PWXMeasurement {
    PF_CLASS(PWXNauticalMilesMeasurement)
public:
    int measurementSystem() const override { return kNauticalSystem; }
};
