#include "ProductDependentData.h"

#include "res/corvsrc_ids.h"
#include "ResString.h"

void ProductDependentData::Load(HINSTANCE hInst) {
    m_productName = LoadResStringAnsi(hInst, IDS_PRODUCT_NAME);
}
