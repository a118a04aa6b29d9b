#pragma once

#include "platform/foundation/Error.h"

#include <QList>
#include <QSizeF>
#include <QString>

class RVUnitLength;

// The templates that come with the program: a few blank pages and a map sheet with a map
// scale, written by the program's own document code. The program's "Stationery" folder among
// its resources holds what writeStationery made; make_stationery writes them again.
class VNQLStationery {
public:
    struct Sheet {
        QString name;
        QSizeF size;        // points
        QString unitSymbol; // the drawing's units
        double mapScale;    // ground lengths per paper length; 0 for none
    };

    static QList<Sheet> sheets();
    // Writes every sheet as a template package into `folder` (made when missing), replacing
    // packages of the same names; false with the error at the first that fails.
    static bool writeStationery(const QString& folder, pf::Error* error = nullptr);
};
