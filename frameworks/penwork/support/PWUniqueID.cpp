#include "frameworks/penwork/support/PWUniqueID.h"

#include <QRandomGenerator>
#include <QUuid>

QString PWUniqueID::uniqueKey()
{
    // A version 4 UUID from a generator seeded once a thread from the system's entropy. Asking
    // the system for every key, as QUuid::createUuid does, asks the processor for fresh
    // randomness each time, at a microsecond or more a word: opening a drawing makes a key for
    // each of its styles before reading the one stored, so a map's drawing waited on it.
    thread_local QRandomGenerator generator = QRandomGenerator::securelySeeded();
    quint32 words[4];
    generator.fillRange(words);
    const auto half = [](quint32 word, int shift) { return ushort(word >> shift); };
    const auto byte = [](quint32 word, int shift) { return uchar(word >> shift); };
    const QUuid uuid(words[0], half(words[1], 16), ushort((words[1] & 0x0FFF) | 0x4000),
                     uchar((byte(words[2], 24) & 0x3F) | 0x80), byte(words[2], 16), byte(words[2], 8),
                     byte(words[2], 0), byte(words[3], 24), byte(words[3], 16), byte(words[3], 8), byte(words[3], 0));
    return uuid.toString(QUuid::WithoutBraces);
}
