#pragma once

#include "app/PWXMeasurement.h"

// A measurement in the metric system: lengths in millimetres, centimetres, metres and kilometres.
class PWXMetricMeasurement : public PWXMeasurement {
    PF_CLASS(PWXMetricMeasurement)
public:
    int measurementSystem() const override { return kMetricSystem; }
};
