// The open source that a triplet may address: only the application that
// opened the source may talk to it.
#pragma once

#include "Triplet.h"

class CDataSource;

// The open source when the caller is its opener, otherwise nullptr (the
// condition code is then TWCC_BADPROTOCOL).
CDataSource *SessionSource(const TwainTriplet &t);
