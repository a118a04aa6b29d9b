#pragma once

#include <QImage>

class PWLayer;

// The icons the layers panel shows beside layers: one per layer class, loaded once and kept.
struct PWLayerVNQLLayerIcons {
    // The icon of the layer's class (the slices layer shows its own).
    static QImage iconForLayer(const PWLayer& layer);
    // By image name ("VN_Layer_Group-Template"); loaded once under a lock.
    static QImage iconNamed(const QString& name);
};
