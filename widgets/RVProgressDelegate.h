#pragma once

class RVProgressViewController;

// Work that the progress window polls (ten times a second, on the main thread) instead of
// pushing its progress.
class RVProgressDelegate {
public:
    virtual ~RVProgressDelegate() = default;
    // The fraction done (1.0 or more means finished); `shouldCancel` tells that the user asked
    // to stop.
    virtual double progressFractionForProgress(RVProgressViewController& progress, bool shouldCancel) = 0;
};
