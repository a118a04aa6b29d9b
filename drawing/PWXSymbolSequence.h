#pragma once

#include <QString>

class PWXSymbol;

// What a layer's sequence numbering (answered by the layer's "sequenceForSymbolMaster:") offers
// the placed instances of one master. Adding an instance is expected to set its sequence.
class PWXSymbolSequence {
public:
    virtual ~PWXSymbolSequence() = default;
    virtual void addSymbol(PWXSymbol* symbol) = 0;
    virtual void removeSymbol(PWXSymbol* symbol) = 0;
    virtual void setSymbols(const QList<PWXSymbol*>& symbols) = 0;
    // kNotFound for a symbol that is not in the sequence.
    virtual qint64 sequenceNumberForSymbol(const PWXSymbol* symbol) const = 0;
    virtual QString sequenceStringForSymbol(const PWXSymbol* symbol) const = 0;
    virtual qint64 startingOffset() const = 0;
    virtual qint64 maxSequenceNumber() const = 0;
    virtual void moveSymbolAtIndex(qint64 from, qint64 to) = 0;
    virtual void renumber() = 0;
    virtual bool autoRenumbers() const = 0;
    virtual void setAutoRenumbers(bool autoRenumbers) = 0;
    virtual int sequenceKind() const = 0;
    virtual void setSequenceKind(int kind) = 0;
    virtual void createAndInsertKeyTable() = 0;
};
