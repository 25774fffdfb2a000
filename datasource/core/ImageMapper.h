// Routes DG_IMAGE triplets to their handlers.
#pragma once

#include "Triplet.h"

class CImageMapper {
public:
    virtual ~CImageMapper() = default;
    virtual TW_UINT16 Dispatch(const TwainTriplet &t);
};
