#pragma once

class PWXSymbolMaster;

// What a symbol master tells each of its placed instances around a change of the master.
// Masters hold their clients weakly, in slots that keep their index for the client's life.
class PWXSymbolMasterClient {
public:
    virtual ~PWXSymbolMasterClient() = default;
    virtual void symbolMasterWillChange(PWXSymbolMaster& master) = 0;
    virtual void symbolMasterDidChange(PWXSymbolMaster& master) = 0;
    virtual unsigned symbolMasterClientIndex() const = 0;
    virtual void setSymbolMasterClientIndex(unsigned index) = 0;
};
