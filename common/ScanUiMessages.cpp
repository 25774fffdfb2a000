#include "ScanUiMessages.h"

namespace {
// Registered while the module loads, so that a message that arrives early
// already has its number.
const UINT g_scanMessage = RegisterWindowMessageW(L"CV_SCANMESSAGE_FROMSCANUI");
const UINT g_paramRequest = RegisterWindowMessageW(L"CV_GETPARAMREQUEST_FROMSCANUI");
const UINT g_paramResponse = RegisterWindowMessageW(L"CV_GETPARAMRESPONSE_TOSCANUI");
const UINT g_enableProgress = RegisterWindowMessageW(L"CV_ENABLEPROGRESS_TOSCANUI");
}  // namespace

UINT CScanUiMessages::ScanMessage() {
    return g_scanMessage;
}
UINT CScanUiMessages::ParamRequest() {
    return g_paramRequest;
}
UINT CScanUiMessages::ParamResponse() {
    return g_paramResponse;
}
UINT CScanUiMessages::EnableProgress() {
    return g_enableProgress;
}
