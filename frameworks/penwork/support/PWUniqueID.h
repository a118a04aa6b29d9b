#pragma once

#include <QString>

// Identifiers that are unique across drawings, processes and machines.
class PWUniqueID {
public:
    // A new identifier each call: a random UUID as 36 characters, without braces.
    static QString uniqueKey();
};
