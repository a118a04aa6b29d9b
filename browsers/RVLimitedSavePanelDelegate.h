#pragma once

class RVLimitedSavePanel;

// Told when the limited save sheet ends: 1 to save at the panel's URL, 0 when cancelled.
class RVLimitedSavePanelDelegate {
public:
    virtual ~RVLimitedSavePanelDelegate() = default;
    virtual void savePanelDidEnd(RVLimitedSavePanel& panel, int returnCode) = 0;
};
