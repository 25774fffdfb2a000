// Routes DG_CONTROL triplets to their handlers.
#pragma once

#include "Triplet.h"

class CControlMapper {
public:
    virtual ~CControlMapper() = default;
    virtual TW_UINT16 Dispatch(const TwainTriplet &t);

private:
    TW_UINT16 OnIdentity(const TwainTriplet &t);
    TW_UINT16 OnStatus(const TwainTriplet &t);
};
