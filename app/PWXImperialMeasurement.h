#pragma once

#include "app/PWXMeasurement.h"

// A measurement in the imperial system: lengths in inches and the units built from them.
class PWXImperialMeasurement : public PWXMeasurement {
    PF_CLASS(PWXImperialMeasurement)
public:
    int measurementSystem() const override { return kImperialSystem; }
};
